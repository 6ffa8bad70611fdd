#pragma once

#include <QFrame>

#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "gui/widgets/state_progress_bar.h"

class QCheckBox;
class QGroupBox;
class QLabel;

namespace trovel::widgets {
class ActionBox;
class ClickLabel;
}  // namespace trovel::widgets

namespace trovel::space {

// One local fixed drive on the drive page: its icon, label and root, a bar of the used
// share and the space text, with the box that makes it the target.
class DriveRow : public QFrame {
    Q_OBJECT
    Q_PROPERTY(bool selected READ selected WRITE setSelected)

public:
    static constexpr int kWidth = 577;
    static constexpr int kHeight = 80;

    DriveRow(QWidget* owner, platform::Platform& platform);

    QGroupBox* rowBox;
    QLabel* icon;
    widgets::ClickLabel* ldrvlabel;
    StateProgressBar* usageBar;
    widgets::ActionBox* cbusethis;
    QLabel* lspace;

    bool FSelected = false;
    std::int32_t ID = 0;
    StateProgressBar::State vState = StateProgressBar::Normal;
    std::int64_t vSize = 0;
    std::int64_t vUsed = 0;
    std::int64_t vFree = 0;
    std::int64_t vAtmost = 0;
    int vPBPosition = 0;
    std::string vSizetxt;
    std::string vDrive;
    std::string vLabel;

    bool selected() const { return FSelected; }
    // Chosen: light blue, the bar normal or paused as vState says; not chosen: white, bar red.
    void setSelected(bool value);

    void cbusethisMouseUp();
    // The label and root, "Adatok ( /mnt/adatok/ )": a long label is elided in the middle so that
    // the root stays whole; the whole text is the tooltip. Names the row for screen readers.
    void ShowLabel(const QString& label, const QString& root);
    void ldrvlabelClick();

private:
    QWidget* owner_;
    platform::Platform& platform_;
};

}  // namespace trovel::space
