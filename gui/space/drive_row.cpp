#include "gui/space/drive_row.h"

#include <QGroupBox>
#include <QLabel>

#include <algorithm>

#include "gui/widgets/fonts.h"
#include "gui/widgets/window_messages.h"
#include "gui/widgets/row_widgets.h"
#include "gui/widgets/translated.h"

namespace trovel::space {

DriveRow::DriveRow(QWidget* owner, platform::Platform& platform)
    : QFrame(owner), owner_(owner), platform_(platform) {
    resize(kWidth, kHeight);
    rowBox = new widgets::RowBox(this);
    rowBox->setObjectName(QStringLiteral("GroupBox1"));
    rowBox->setGeometry(3, 0, 571, 78);
    rowBox->setAutoFillBackground(true);

    icon = new QLabel(rowBox);
    icon->setObjectName(QStringLiteral("Image1"));
    icon->setGeometry(32, 7, 64, 64);

    ldrvlabel = new widgets::ClickLabel(rowBox);
    ldrvlabel->setTextFormat(Qt::PlainText);  // a volume label is shown as it is
    ldrvlabel->setObjectName(QStringLiteral("ldrvlabel"));
    ldrvlabel->move(136, 10);
    ldrvlabel->setFont(widgets::Tahoma(11, widgets::kBold));
    ldrvlabel->setCursor(Qt::PointingHandCursor);

    usageBar = new StateProgressBar(rowBox);
    usageBar->setObjectName(QStringLiteral("ProgressBar1"));
    usageBar->setGeometry(136, 29, 273, 14);
    usageBar->setSmoothReverse(true);
    usageBar->setState(StateProgressBar::Error);
    usageBar->setPosition(50);

    cbusethis = new widgets::ActionBox(rowBox);
    cbusethis->setObjectName(QStringLiteral("cbusethis"));
    cbusethis->setGeometry(463, 29, 97, 17);

    lspace = new QLabel(rowBox);
    lspace->setTextFormat(Qt::PlainText);
    lspace->setObjectName(QStringLiteral("lspace"));
    lspace->move(136, 52);

    // Choosing the drive from the keyboard counts as a click.
    connect(cbusethis, &widgets::ActionBox::keyToggled, this, &DriveRow::cbusethisMouseUp);
    connect(cbusethis, &widgets::ActionBox::mouseReleased, this, &DriveRow::cbusethisMouseUp);
    connect(ldrvlabel, &widgets::ClickLabel::clicked, this, &DriveRow::ldrvlabelClick);
    setSelected(false);
}

void DriveRow::setSelected(bool value) {
    FSelected = value;
    widgets::PaintRowBox(rowBox, value);
    if (value) {
        usageBar->setState(StateProgressBar::Normal);
        if (vState == StateProgressBar::Paused) usageBar->setState(StateProgressBar::Paused);
    } else {
        usageBar->setState(StateProgressBar::Error);
    }
}

void DriveRow::ShowLabel(const QString& label, const QString& root) {
    const QString whole = label + QStringLiteral(" ( ") + root + QStringLiteral(" )");
    // Up to the box on the right.
    const int room = cbusethis->x() - ldrvlabel->x() - 8;
    const QFontMetrics metrics = ldrvlabel->fontMetrics();
    QString shown = whole;
    if (metrics.horizontalAdvance(whole) > room) {
        const QString rootPart = QStringLiteral(" ( ") + metrics.elidedText(root, Qt::ElideMiddle, room * 2 / 3) +
                                 QStringLiteral(" )");
        shown = metrics.elidedText(label, Qt::ElideMiddle, std::max(0, room - metrics.horizontalAdvance(rootPart))) +
                rootPart;
    }
    widgets::SetAutoSizedText(ldrvlabel, shown);
    ldrvlabel->setToolTip(whole);
    ldrvlabel->setAccessibleName(whole);
    ldrvlabel->setAccessibleDescription(widgets::QTr("Link: opens the drive"));
    usageBar->setAccessibleName(widgets::QFill(widgets::QTr("Usage of %1"), {whole}));
    cbusethis->setAccessibleName(widgets::QFill(widgets::QTr("Choose %1"), {whole}));
    cbusethis->setAccessibleDescription(widgets::QTr("The ticked folders go here"));
}

void DriveRow::cbusethisMouseUp() { widgets::SendWindowMessage(owner_, widgets::WM_DRIVESELECT, ID, 0); }

void DriveRow::ldrvlabelClick() { platform_.ShellOpen(vDrive); }

}  // namespace trovel::space
