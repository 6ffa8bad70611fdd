#include "gui/window/about_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "gui/widgets/fonts.h"
#include "gui/window/links.h"
#include "gui/window/main_window.h"
#include "gui/widgets/row_widgets.h"
#include "gui/widgets/translated.h"

namespace trovel::app {
namespace {

using platform::TrLater;
using widgets::kBold;
using widgets::QTr;
using widgets::Tahoma;

const char* const kVersionText = TrLater(
    "Version: 2.0.0.127\n"
    "Made and translated by the Trovel developers\n"
    "Web page: click here\n"
    "Free; use it at your own risk.\n"
    "Date: 2011-03-29 (yyyy-mm-dd)");

const char* const kDonationText = TrLater(
    "Click here if you would like to support the program. Your donation matters to us. "
    "You can give as much as you like, as often as you like. "
    "Your money supports the program's further development. Thank you!");

}  // namespace

WaitAboutWindow::WaitAboutWindow(MainWindow* owner) : QDialog(owner), owner_(owner) {
    setObjectName(QStringLiteral("VFAbout"));
    setWindowTitle(QTr("About Trovel"));
    setFont(Tahoma(11));
    setFixedSize(428, 292);
    setModal(true);

    ltrovel = new QLabel(QStringLiteral("Trovel 2 (Trovel)"), this);
    ltrovel->setObjectName(QStringLiteral("ltrovel"));
    ltrovel->setFont(Tahoma(16));
    ltrovel->move(93, 3);
    ltrovel->adjustSize();

    labout = new widgets::ClickLabel(this);
    labout->setObjectName(QStringLiteral("labout"));
    labout->setGeometry(24, 35, 377, 81);
    labout->setFont(Tahoma(12));
    labout->setWordWrap(true);
    labout->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    labout->setCursor(Qt::PointingHandCursor);
    labout->setText(QTr(kVersionText));

    lwait = new QLabel(QTr(kMeasuringText), this);
    lwait->setObjectName(QStringLiteral("lwait"));
    lwait->setFont(Tahoma(19));
    lwait->move(51, 120);
    lwait->adjustSize();

    waitBar = new QProgressBar(this);
    waitBar->setObjectName(QStringLiteral("ProgressBar1"));
    waitBar->setGeometry(24, 145, 377, 17);
    waitBar->setRange(0, 0);  // marquee: moving, without a value
    waitBar->setTextVisible(false);
    waitBar->hide();

    lnowisprocessing = new QLabel(this);
    lnowisprocessing->setTextFormat(Qt::PlainText);  // it names folders
    lnowisprocessing->setObjectName(QStringLiteral("lnowisprocessing"));
    lnowisprocessing->setFont(Tahoma(11, kBold));
    lnowisprocessing->setGeometry(24, 165, 377, 16);
    // The line's width is the window's, whatever it says: it is never sized to an empty text.
    lnowisprocessing->setFixedWidth(377);

    ltransfer = new QLabel(this);
    ltransfer->setObjectName(QStringLiteral("ltransfer"));
    ltransfer->setTextFormat(Qt::PlainText);
    ltransfer->setFont(Tahoma(11));
    ltransfer->setGeometry(24, 184, 290, 16);
    ltransfer->setFixedWidth(290);
    ltransfer->hide();

    bcancel = new QPushButton(QTr("Cancel"), this);
    bcancel->setObjectName(QStringLiteral("bcancel"));
    bcancel->setGeometry(326, 181, 75, 23);
    bcancel->hide();
    connect(bcancel, &QPushButton::clicked, this, [this] {
        bcancel->setEnabled(false);  // once: the folder in progress is being rolled back
        if (onCancel_) onCancel_();
    });

    ldonate = new widgets::ClickLabel(this);
    ldonate->setObjectName(QStringLiteral("ldonate"));
    ldonate->setGeometry(24, 184, 377, 81);
    ldonate->setFont(Tahoma(13));
    ldonate->setWordWrap(true);
    ldonate->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ldonate->setCursor(Qt::PointingHandCursor);
    ldonate->setText(QTr(kDonationText));

    connect(labout, &widgets::ClickLabel::clicked, this, &WaitAboutWindow::laboutClick);
    connect(ldonate, &widgets::ClickLabel::clicked, this, &WaitAboutWindow::ldonateClick);
}

void WaitAboutWindow::ShowAbout(bool wait) {
    waitMode_ = wait;
    waitBar->setVisible(wait);
    lwait->setVisible(wait);
    const bool mainActive = owner_->isActiveWindow();
    exec();
    waitMode_ = false;
    // The keyboard goes back to the main window, where it was before, unless the user has
    // turned to another of its windows meanwhile: its Alt letters work again at once.
    QWidget* active = QApplication::activeWindow();
    if (mainActive && (active == nullptr || active == this)) owner_->activateWindow();
}

QRect WaitAboutWindow::CentredOn(const QRect& ownerFrame, const QRect& ownerClient, QSize clientSize) {
    // The frame is taken to be like the owner's; each half rounded toward zero.
    const QMargins frame(ownerClient.left() - ownerFrame.left(), ownerClient.top() - ownerFrame.top(),
                         ownerFrame.right() - ownerClient.right(), ownerFrame.bottom() - ownerClient.bottom());
    const QSize outer = clientSize.grownBy(frame);
    const QPoint frameAt(ownerFrame.left() + (ownerFrame.width() - outer.width()) / 2,
                         ownerFrame.top() + (ownerFrame.height() - outer.height()) / 2);
    return QRect(frameAt + QPoint(frame.left(), frame.top()), clientSize);
}

void WaitAboutWindow::BeginWait(const QString& waitText) {
    workDone_ = false;
    lwait->setText(waitText);
    lwait->adjustSize();
}

void WaitAboutWindow::SetTransferLine(const QString& text) {
    ltransfer->setText(text);
    ltransfer->setVisible(!text.isEmpty());
    LayTransferLine();
}

void WaitAboutWindow::OfferCancel(std::function<void()> onCancel) {
    onCancel_ = std::move(onCancel);
    bcancel->setEnabled(true);
    bcancel->setVisible(static_cast<bool>(onCancel_));
    LayTransferLine();
}

// The donation text makes room for the transfer line while there is one.
void WaitAboutWindow::LayTransferLine() {
    const bool transfer = !ltransfer->isHidden() || !bcancel->isHidden();
    ldonate->move(ldonate->x(), transfer ? 206 : 184);
}

void WaitAboutWindow::EndWait() {
    workDone_ = true;
    if (isVisible()) accept();
}

void WaitAboutWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    OnShown();
    // A worker that finished before the window appeared ends the wait at once.
    if (waitMode_ && workDone_) QTimer::singleShot(0, this, &QDialog::accept);
}

void WaitAboutWindow::hideEvent(QHideEvent* event) {
    OnHidden();
    QDialog::hideEvent(event);
}



// While the worker runs, the wait window stays: the handler behind it must not go on early.
void WaitAboutWindow::closeEvent(QCloseEvent* event) {
    if (Waiting()) event->ignore();
    else QDialog::closeEvent(event);
}

void WaitAboutWindow::reject() {
    if (!Waiting()) QDialog::reject();
}

void WaitAboutWindow::OnShown() {
    // Placed by its client area: moving a window by its frame before the window manager has
    // framed it the first time would put it a title bar too high.
    QWidget* main = owner_->window();
    setGeometry(CentredOn(main->frameGeometry(), main->geometry(), size()));
    lnowisprocessing->clear();
    SetTransferLine({});
    OfferCancel({});
    statenext = owner_->bnext->isEnabled();
    stateprevious = owner_->bprevious->isEnabled();
    for (QPushButton* button : {owner_->bnext, owner_->bprevious, owner_->babout, owner_->bexit})
        button->setEnabled(false);
}

void WaitAboutWindow::OnHidden() {
    owner_->bnext->setEnabled(statenext);
    owner_->bprevious->setEnabled(stateprevious);
    owner_->babout->setEnabled(true);
    owner_->bexit->setEnabled(true);
}

void WaitAboutWindow::laboutClick() { owner_->platform().ShellOpen(kProgramWebPage); }
void WaitAboutWindow::ldonateClick() { owner_->platform().ShellOpen(kDonationPage); }

}  // namespace trovel::app
