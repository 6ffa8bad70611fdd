#include "gui/space/drive_row.h"

#include <QGroupBox>
#include <QLabel>

#include "gui/widgets/fonts.h"
#include "gui/widgets/window_messages.h"
#include "gui/widgets/row_widgets.h"

namespace trovel::space {

DriveRow::DriveRow(QWidget* owner, platform::Platform& platform)
    : QFrame(owner), owner_(owner), platform_(platform) {
    resize(kWidth, kHeight);
    GroupBox1 = new widgets::RowBox(this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(3, 0, 571, 78);
    GroupBox1->setAutoFillBackground(true);

    Image1 = new QLabel(GroupBox1);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(32, 7, 64, 64);

    ldrvlabel = new widgets::ClickLabel(GroupBox1);
    ldrvlabel->setTextFormat(Qt::PlainText);  // a volume label is shown as it is
    ldrvlabel->setObjectName(QStringLiteral("ldrvlabel"));
    ldrvlabel->move(136, 10);
    ldrvlabel->setFont(widgets::Tahoma(11, widgets::kBold));
    ldrvlabel->setCursor(Qt::PointingHandCursor);

    ProgressBar1 = new StateProgressBar(GroupBox1);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(136, 29, 273, 14);
    ProgressBar1->setSmoothReverse(true);
    ProgressBar1->setState(StateProgressBar::Error);
    ProgressBar1->setPosition(50);

    cbusethis = new widgets::ActionBox(GroupBox1);
    cbusethis->setObjectName(QStringLiteral("cbusethis"));
    cbusethis->setGeometry(463, 29, 97, 17);

    lspace = new QLabel(GroupBox1);
    lspace->setTextFormat(Qt::PlainText);
    lspace->setObjectName(QStringLiteral("lspace"));
    lspace->move(136, 52);

    connect(cbusethis, &widgets::ActionBox::mouseReleased, this, &DriveRow::cbusethisMouseUp);
    connect(ldrvlabel, &widgets::ClickLabel::clicked, this, &DriveRow::ldrvlabelClick);
    setSelected(false);
}

void DriveRow::setSelected(bool value) {
    FSelected = value;
    widgets::PaintRowBox(GroupBox1, value);
    if (value) {
        ProgressBar1->setState(StateProgressBar::Normal);
        if (vState == StateProgressBar::Paused) ProgressBar1->setState(StateProgressBar::Paused);
    } else {
        ProgressBar1->setState(StateProgressBar::Error);
    }
}

void DriveRow::cbusethisMouseUp() { widgets::SendWindowMessage(owner_, widgets::WM_DRIVESELECT, ID, 0); }

void DriveRow::ldrvlabelClick() { platform_.ShellOpen(vDrive); }

}  // namespace trovel::space
