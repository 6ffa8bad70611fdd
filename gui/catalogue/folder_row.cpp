#include "gui/catalogue/folder_row.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>

#include "gui/widgets/fonts.h"
#include "gui/widgets/window_messages.h"
#include "gui/widgets/row_widgets.h"
#include "gui/widgets/translated.h"

namespace trovel::catalogue {

using widgets::ActionBox;
using widgets::ClickLabel;

namespace {

// Rows that are on no page wait in a hidden child of the main window, which keeps them.
QWidget* DetachedRowsOf(QWidget* owner) {
    const QString name = QStringLiteral("detachedRows");
    if (auto* existing = owner->findChild<QWidget*>(name, Qt::FindDirectChildrenOnly)) return existing;
    auto* holder = new QWidget(owner);
    holder->setObjectName(name);
    holder->hide();
    return holder;
}

template <typename Widget>
Widget* Make(QWidget* parent, const char* name, int left, int top) {
    auto* widget = new Widget(parent);
    widget->setObjectName(QString::fromLatin1(name));
    widget->move(left, top);
    return widget;
}

template <typename Box>
Box* MakeBox(QWidget* parent, const char* name, QRect geometry, const char* caption, const char* hint) {
    auto* box = Make<Box>(parent, name, geometry.left(), geometry.top());
    box->resize(geometry.size());
    box->setText(widgets::QTr(caption));
    box->setToolTip(widgets::QTr(hint));
    box->hide();
    return box;
}

}  // namespace

FolderRow::FolderRow(QWidget* owner, platform::Platform& platform)
    : QFrame(nullptr), owner_(owner), parking_(DetachedRowsOf(owner)), platform_(platform) {
    setParent(parking_);
    resize(kWidth, kHeight);

    rowBox = Make<widgets::RowBox>(this, "GroupBox1", 3, 0);
    rowBox->resize(571, 103);
    rowBox->setAutoFillBackground(true);

    icon = Make<QLabel>(rowBox, "Image1", 14, 23);
    icon->resize(64, 64);

    lfoldername = Make<QLabel>(rowBox, "lfoldername", 92, 7);
    lfoldername->setTextFormat(Qt::PlainText);  // names, paths and descriptions are shown as they are
    lfoldername->setFont(widgets::Tahoma(13, widgets::kBold));
    lfoldername->setForegroundRole(QPalette::WindowText);

    lsize = Make<QLabel>(rowBox, "lsize", 218, 7);
    lsize->setTextFormat(Qt::PlainText);
    lsize->setFont(widgets::Tahoma(12));
    QPalette sizePalette = lsize->palette();
    sizePalette.setColor(QPalette::WindowText, QColor(0, 117, 234));
    lsize->setPalette(sizePalette);

    lfolderpath = Make<ClickLabel>(rowBox, "lfolderpath", 92, 24);
    lfolderpath->setTextFormat(Qt::PlainText);
    lfolderpath->setAccessibleDescription(widgets::QTr("The folder's place; Enter or Space opens it"));

    ldescription = Make<QLabel>(rowBox, "ldescription", 92, 47);
    ldescription->setTextFormat(Qt::PlainText);
    ldescription->setFixedSize(464, 27);
    ldescription->setWordWrap(true);
    ldescription->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ldescription->setFont(widgets::Tahoma(11, widgets::kItalic));

    // Creation order follows the row's declaration; the keyboard order is set below.
    cbcopy = MakeBox<ActionBox>(rowBox, "cbcopy", {174, 82, 67, 13}, platform::TrLater("Copy"),
                                platform::TrLater("Copy the folder's contents"));
    cbcopy->setChecked(true);
    cbmove = MakeBox<ActionBox>(rowBox, "cbmove", {92, 82, 76, 13}, platform::TrLater("Move"),
                                platform::TrLater("Windows redirection"));
    // The two status boxes sit 28 pixels further left than the form has them: a row is wider
    // (577) than the page area it lies in (542), and "Másolva" would be cut at its edge.
    cbredirected = MakeBox<QCheckBox>(rowBox, "cbredirected", {372, 82, 81, 13}, platform::TrLater("Moved"),
                                      platform::TrLater("Redirection state"));
    cbredirected->setEnabled(false);
    cbcopied = MakeBox<QCheckBox>(rowBox, "cbcopied", {459, 82, 69, 13}, platform::TrLater("Copied"),
                                  platform::TrLater("Copy/move state"));
    cbcopied->setEnabled(false);
    cbdelete = MakeBox<ActionBox>(rowBox, "cbdelete", {242, 82, 71, 13}, platform::TrLater("Delete"),
                                  platform::TrLater("Delete the old contents"));

    lreason = Make<QLabel>(rowBox, "lreason", 92, 47);
    lreason->setTextFormat(Qt::PlainText);
    lreason->setFixedSize(kShownWidth - 92 - 8, 27);
    lreason->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lreason->setFont(widgets::Tahoma(11, widgets::kBold));
    lreason->hide();

    cbmove->setAccessibleDescription(widgets::QTr("Moves the folder to another drive"));
    cbcopy->setAccessibleDescription(widgets::QTr("Copies the folder's contents to the new place"));
    cbdelete->setAccessibleDescription(widgets::QTr("Deletes the old contents after the move"));
    cbredirected->setAccessibleDescription(widgets::QTr("Ticked when the system has taken the folder's new place"));
    cbcopied->setAccessibleDescription(widgets::QTr("Ticked when the folder's contents have moved too"));

    QWidget::setTabOrder(cbredirected, cbmove);
    QWidget::setTabOrder(cbmove, cbcopy);
    QWidget::setTabOrder(cbcopy, cbcopied);
    QWidget::setTabOrder(cbcopied, cbdelete);

    // A box changed from the keyboard counts exactly as a click on it.
    for (ActionBox* box : {cbmove, cbcopy, cbdelete}) connect(box, &ActionBox::keyToggled, box, &ActionBox::mouseReleased);
    connect(cbmove, &ActionBox::mouseReleased, this, &FolderRow::cbmoveMouseUp);
    connect(cbcopy, &ActionBox::mouseReleased, this, &FolderRow::cbcopyMouseUp);
    connect(cbdelete, &ActionBox::mouseReleased, this, &FolderRow::cbdeleteMouseUp);
    connect(lfolderpath, &ClickLabel::clicked, this, &FolderRow::lfolderpathClick);

    setSelected(false);
}

void FolderRow::setSelected(bool value) {
    FSelected = value;
    widgets::PaintRowBox(rowBox, value);
    // The reason keeps its own colour, which the box's palette would replace.
    if (!lreason->isHidden()) widgets::SetRowTextColour(lreason, lreason->property("success").toBool()
                                                                     ? widgets::kSuccessText
                                                                     : widgets::kFailureText);
}

void FolderRow::ShowReason(const QString& brief, const QString& full, bool success) {
    lreason->setProperty("success", success);
    lreason->setText(lreason->fontMetrics().elidedText(brief, Qt::ElideRight, lreason->width()));
    lreason->setToolTip(full);
    lreason->setAccessibleName(brief);
    lreason->setAccessibleDescription(full);
    widgets::SetRowTextColour(lreason, success ? widgets::kSuccessText : widgets::kFailureText);
    ldescription->hide();
    lreason->show();
}

void FolderRow::NameForScreenReaders(const QString& folder) {
    for (QCheckBox* box : {static_cast<QCheckBox*>(cbmove), static_cast<QCheckBox*>(cbcopy),
                           static_cast<QCheckBox*>(cbdelete), cbredirected, cbcopied})
        box->setAccessibleName(folder + QStringLiteral(": ") + box->text());
    rowBox->setAccessibleName(folder);
    rowBox->setAccessibleDescription(ldescription->text());
    icon->setAccessibleName(widgets::QFill(widgets::QTr("Icon of %1"), {folder}));
}

void FolderRow::ShowPathText(const QString& path) {
    // The path may reach the right edge of what the page area shows of the row.
    const int room = kShownWidth - lfolderpath->x() - 8;
    const QString shown = lfolderpath->fontMetrics().elidedText(path, Qt::ElideMiddle, room);
    widgets::SetAutoSizedText(lfolderpath, shown);
    lfolderpath->setToolTip(path);
    lfolderpath->setAccessibleName(path);
}

void FolderRow::AttachTo(QWidget* page) {
    if (page == nullptr) {
        Detach();
        return;
    }
    if (parentWidget() != page) setParent(page);
    setVisible(shown_);
}

void FolderRow::Detach() {
    if (parentWidget() != parking_) setParent(parking_);
    setVisible(shown_);
}

bool FolderRow::IsAttached() const { return parentWidget() != parking_; }

void FolderRow::SetShown(bool shown) {
    shown_ = shown;
    setVisible(shown);
}

void FolderRow::cbmoveMouseUp() { SendFolderCheck(Operation::Move); }
void FolderRow::cbcopyMouseUp() { SendFolderCheck(Operation::Copy); }
void FolderRow::cbdeleteMouseUp() { SendFolderCheck(Operation::Delete); }

void FolderRow::SendFolderCheck(Operation operation) {
    widgets::SendWindowMessage(owner_, widgets::WM_FOLDERCHECK, static_cast<qintptr>(operation), 0);
}

void FolderRow::lfolderpathClick() {
    // A folder without a path has nothing to open. The record's bytes, not the label's text: a name that is not UTF-8 survives only there.
    if (!Path.empty()) platform_.ShellOpen(Path);
}

}  // namespace trovel::catalogue
