#pragma once

#include <QPixmap>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/basics/list_types.h"
#include "gui/catalogue/wizard_window.h"
#include "platform/platform.h"
#include "core/relocation/folder_rules.h"
#include "core/relocation/outcome_text.h"

class QCheckBox;
class QLabel;
class QScrollBar;
class QWidget;

namespace trovel::catalogue {

class FolderRow;
using FolderRowList = std::vector<FolderRow*>;

// Category bits: bit n stands for KF_CATEGORY n.
using CategorySet = std::uint16_t;
constexpr CategorySet CategoryBit(std::uint32_t category) {
    return category <= 15 ? static_cast<CategorySet>(1u << category) : CategorySet{0};
}

// The known-folder catalogue: every registered folder as a row, and the lists
// the wizard pages show.
class FolderCatalogue {
public:
    // Create: opens the known-folder registry and records the system drive.
    explicit FolderCatalogue(WizardWindow* Owner);
    ~FolderCatalogue();

    // Builds one row per registered folder, in the registry's order.
    void GetFolders();
    // The shell's 48 x 48 icon of a path as a picture.
    QPixmap GetShellIcon(const std::string& path);

    // Views: which rows a page shows, with which boxes.
    void GetKFAll(QWidget* Obj, QScrollBar* scrollBar);
    void GetKFDefinedListRedirect(QWidget* Obj, QScrollBar* scrollBar);
    void FilterList(QCheckBox* cbu, QCheckBox* cbc, QWidget* Obj, QScrollBar* scrollBar, QLabel* lcount);
    void GetKFDefinedListCopy(QWidget* Obj, QScrollBar* scrollBar);
    void GetKFDefinedListDelete(QWidget* Obj);
    // Ticks or unticks the `operation` box of every listed row.
    void CheckAll(bool tick, Operation operation, QWidget* Obj, QScrollBar* scrollBar, QLabel* lcount);
    // Counts the listed rows whose `operation` box is ticked, highlights them, shows the count
    // and the size of the ticked folders; true when the page may go on (a move needs at least
    // one folder, copying and deleting are optional).
    bool CountTicked(Operation operation);
    void FindItems(const QString& text, bool inname, bool inpath, QWidget* Obj, QScrollBar* scrollBar,
                   QLabel* lcount);
    void ShowAll(bool show);
    void HookItems(QWidget* value);
    void SetScrollBar(int i);

    // Relocation planning: the known folders nested in each folder (once, at start-up), and a
    // folder's place on the chosen drive root, or its default place for "win". Empty when
    // the folder or its default path cannot be had: such a folder is never redirected.
    void MakeExclusionList();
    std::string MakeDestPath(const std::string& DestDrive, const platform::KnownFolderId& kfid);

    // Carries an effect on widgets to the window's thread (or runs it there directly).
    using GuiPost = std::function<void(std::function<void()>)>;
    // One folder to measure, as the size worker gets it: plain data made on the window's
    // thread. `row` is where the result goes; the worker never reads it.
    struct SizeTask {
        FolderRow* row = nullptr;
        QString name;
        std::string path;
        TextList excludePaths;
        bool sizeGot = false;
        std::int64_t size = 0;
        bool lowerBound = false;
    };
    // The rows that `all` / `operation` choose: every row with a path, or the listed rows
    // whose move or copy box is ticked.
    std::vector<SizeTask> SizeSnapshot(bool all, Operation operation) const;
    // On the size worker: measures each task's folder once per run (those measured before keep
    // their size), writes the sizes on the rows through `post`, makes the total the selected
    // size sum and returns it.
    // `lowerBound`, when given, tells whether any of the sizes is only a lower bound.
    std::int64_t GetKFSize(const std::vector<SizeTask>& tasks, const GuiPost& post, bool* lowerBound = nullptr);
    // The size sum in the header: marked "≥" with the reason in its tooltip when it is only a
    // lower bound, with the layout's hint otherwise.
    void ShowSizeSum(std::int64_t total, bool lowerBound);

    // One folder of a relocation run as the worker gets it: the row and what the user chose.
    struct RunTask {
        FolderRow* row = nullptr;
        relocation::FolderChoice choice;
    };
    // The active rows in the catalogue's order, with their boxes as they are now.
    std::vector<RunTask> RedirectSnapshot() const;
    // The relocation run, on its worker: each folder in turn to `destdrv`, its outcome shown
    // on its row through `effects`, the counts after the last. Stops copying at `cancelled`:
    // the folder in progress is rolled back and counts as failed, the rest are skipped.
    struct RunEffects {
        GuiPost post;
        GuiPost postAndWait;           // the error box: the worker waits for the answer
        std::function<void()> cancel;  // what the wait window's cancel button calls
        std::function<bool()> cancelled;
    };
    // The chosen drive: its root, and what it was when chosen (zero: not known).
    struct ChosenDrive {
        std::string root;
        std::uint64_t device = 0;
        std::uint64_t mountId = 0;
    };
    void Redirect(QWidget* Obj, const ChosenDrive& drive, const std::vector<RunTask>& tasks,
                  const RunEffects& effects);
    // The restore, on the window's thread: the ticked folders back at their default paths.
    void ResetToDefault(QWidget* Obj, QScrollBar* scrollBar);
    // The restore with content, for the relocation run to the default place: the ticked rows,
    // their content moved back (copied, then deleted at the old place); the others leave the list.
    std::vector<RunTask> RestoreSnapshot();
    // After that run: the restored page shows only the "redirected" box of each row.
    void ShowRestoredRows();
    // Each row's tooltip names the folder's last move or restore from the record, when there is one.
    void ShowLastMoves();

    // Sorts: 0 name, 1 path, 2 size; stable.
    void Sort(int sortID);
    void SortByName();
    void SortByPath();
    void SortBySize();

    FolderRowList framearr;
    std::uint32_t Fkflistcount = 0;
    CategorySet FkfCategoryset = CategoryBit(platform::KF_CATEGORY_COMMON) |
                                 CategoryBit(platform::KF_CATEGORY_PERUSER);
    std::uint32_t Fkfselectedcount = 0;
    std::int32_t vSortCriteria = 0;
    bool FkfSizegot = false;
    std::int32_t Fiobj = 0;
    std::unique_ptr<platform::KnownFolderManager> Fkfm;
    std::unique_ptr<platform::KnownFolder> Fkf;
    FolderIdList Fkfarray;
    std::uint32_t Fkffullcount = 0;
    platform::KnownFolderDefinition Fkfstruct;
    WizardWindow* FkfOwner;

private:
    // The frame every list view shares; `list` says per row whether it is listed,
    // and sets its boxes; it returns whether the page's own box is ticked.
    template <typename Decide>
    void BuildList(QWidget* page, QScrollBar* scrollbar, Decide decide);
    void PlaceRow(FolderRow* row, int k);
    void ShowCount(QLabel* label, std::uint32_t count);
    // Step 2 of a processed row (status boxes shown, action boxes off, size hidden, placed),
    // and its outcome.
    void ShowProcessed(FolderRow* row, int shown);
    void ShowOutcome(FolderRow* row, const relocation::FolderResult& result, const relocation::RunContext& context);
    FolderRow* MakeRow(std::uint32_t index);
    void FillRow(FolderRow* row);
    void GuardKeptFolders();

    platform::Platform& platform_;
};

}  // namespace trovel::catalogue
