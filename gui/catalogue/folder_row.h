#pragma once

#include <QFrame>

#include <cstdint>
#include <string>

#include "core/basics/list_types.h"
#include "platform/platform.h"

class QCheckBox;
class QGroupBox;
class QLabel;

namespace trovel::widgets {
class ActionBox;
class ClickLabel;
}  // namespace trovel::widgets

namespace trovel::catalogue {


// One known folder: the row that shows it on a wizard page and, in its fields,
// the folder's record for the whole run.
class FolderRow : public QFrame {
    Q_OBJECT
    Q_PROPERTY(bool selected READ selected WRITE setSelected)

public:
    static constexpr int kWidth = 577;
    static constexpr int kHeight = 105;
    // How much of the row box the page area shows: the row (577) is wider than the area (542).
    static constexpr int kShownWidth = 542 - 3 - 3;

    // `owner` is the main window: it receives the row's messages and keeps the row.
    FolderRow(QWidget* owner, platform::Platform& platform);

    // Controls, in declaration order.
    QLabel* icon;
    QLabel* lfoldername;
    widgets::ActionBox* cbcopy;
    widgets::ActionBox* cbmove;
    widgets::ClickLabel* lfolderpath;
    QCheckBox* cbredirected;
    QGroupBox* rowBox;
    QLabel* ldescription;
    QCheckBox* cbcopied;
    QLabel* lsize;
    widgets::ActionBox* cbdelete;
    // After a run, in the description's place: one line of what became of the folder, its
    // whole story in the tooltip.
    QLabel* lreason;

    // The folder record.
    bool FSelected = false;
    std::int32_t defaultID = 0;
    std::int32_t ID = 0;
    std::uint32_t FormHandle = 0;
    platform::KnownFolderDefinition FolderDefinition;
    std::uint32_t FolderCategory = 0;
    platform::Guid FolderTypeID;
    std::uint32_t FolderRedirectionCapability = 0;
    FolderIdList FolderExcludeList;
    TextList FolderExcludePath;
    platform::KnownFolderId FolderID;
    bool active = false;
    std::uint32_t FoldersCount = 0;
    std::uint32_t FilesCount = 0;
    std::int64_t FolderSize = 0;
    bool SizeGot = false;
    bool SizeIsLowerBound = false;  // sub-folders could not be read: the size is at least this
    std::string Path;
    // The folder is a drive root or holds the home folder or the desktop's own folders:
    // never relocated, never measured.
    bool HoldsKeptFolder = false;
    std::string DestPath;
    TextLists SubKFArray;
    IntList SKFACount;

    bool selected() const { return FSelected; }
    // Highlights the row light blue, or white; the colour is set on every call.
    void setSelected(bool value);

    // Places the row on a page, or on none, keeping whether it is meant to be shown.
    void AttachTo(QWidget* page);
    void Detach();
    bool IsAttached() const;
    // Shows or hides the row wherever it is attached; a detached row stays off screen.
    void SetShown(bool shown);
    bool IsShown() const { return shown_; }

    // What a run did with the folder: `brief` on the row (elided to fit), `full` as its tooltip.
    void ShowReason(const QString& brief, const QString& full, bool success);
    // Names the row's boxes and labels for screen readers after its folder.
    void NameForScreenReaders(const QString& folder);
    // The path on the row, elided in the middle to the row's width; the whole of it as the tooltip.
    void ShowPathText(const QString& path);

    void cbmoveMouseUp();
    void cbcopyMouseUp();
    void cbdeleteMouseUp();
    void lfolderpathClick();

private:
    void SendFolderCheck(Operation operation);

    QWidget* owner_;
    QWidget* parking_;
    platform::Platform& platform_;
    bool shown_ = true;
};

}  // namespace trovel::catalogue
