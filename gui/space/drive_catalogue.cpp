#include "gui/space/drive_catalogue.h"

#include <QCheckBox>
#include <QLabel>
#include <QScrollBar>
#include <QStackedWidget>

#include "gui/widgets/fonts.h"
#include "gui/catalogue/wizard_window.h"
#include "gui/widgets/shell_icon.h"
#include "core/basics/exchange_sort.h"
#include "gui/catalogue/known_folder_catalogue.h"
#include "gui/widgets/row_widgets.h"
#include "core/basics/text.h"
#include "core/basics/path_slicing.h"
#include "core/space/drive_fit.h"
#include "core/space/drive_list.h"
#include "gui/space/drive_row.h"
#include "core/basics/saturating.h"
#include "core/space/size_text.h"
#include "gui/widgets/translated.h"
#include "platform/messages.h"

namespace trovel::space {
namespace {

// "45.20 GB free of 100.00 GB": the free room and the whole, written as every other size in the
// window is.
std::string SpaceText(std::int64_t free, std::int64_t size, const std::string& separator) {
    const SizeText freeText = SizeToStr(static_cast<long double>(free), separator);
    const SizeText sizeText = SizeToStr(static_cast<long double>(size), separator);
    return platform::Fill(platform::Tr("%1 free of %2"), {freeText.number + freeText.unit, sizeText.number + sizeText.unit});
}

int CompareTexts(const std::string& a, const std::string& b) {
    return catalogue::CompareAsciiFolded(catalogue::Utf8ToUtf16(a), catalogue::Utf8ToUtf16(b));
}

}  // namespace

DriveCatalogue::DriveCatalogue(catalogue::WizardWindow* Owner) : FDDOwner(Owner) {}

DriveCatalogue::~DriveCatalogue() = default;

void DriveCatalogue::GetDrivesInfo(QWidget* Obj, QScrollBar* scrollBar) {
    for (DriveRow* row : vObjarr) delete row;
    vObjarr.clear();
    if (scrollBar != nullptr) scrollBar->setValue(0);

    platform::Platform& platform = FDDOwner->platform();
    const DriveListing listing =
        ListOfferedDrives(platform, FDDOwner->shared().systemDrive, FDDOwner->shared().profilePath);
    vLeftOut = listing.leftOut;
    int n = 0;
    for (const OfferedDrive& drive : listing.offered) {
        auto* row = new DriveRow(FDDOwner->messageWindow(), platform);
        vObjarr.push_back(row);
        row->setObjectName(QStringLiteral("DrvObj%1").arg(n));
        row->ID = n;
        row->setParent(Obj);
        row->move(3, (row->height() + 3) * n + 3);
        row->show();

        row->vDrive = drive.root;
        row->icon->setPixmap(widgets::ShellIconPixmap(platform, drive.root));
        row->icon->adjustSize();
        row->vLabel = drive.label;
        // A drive that needs an administrator's approval says so in its caption.
        const std::string note = drive.needsAdministrator ? std::string(" – ") + NeedsAdministratorText() : "";
        row->ShowLabel(QString::fromStdString(drive.label + note), QString::fromStdString(drive.root));

        row->vFree = drive.space.freeForUser;
        row->vSize = drive.space.total;
        row->vUsed = row->vSize - row->vFree;
        row->vAtmost = AtMost(row->vFree, row->vSize);
        row->vPBPosition = Percent(row->vUsed, row->vSize);
        row->vSizetxt = SpaceText(row->vFree, row->vSize, platform.DecimalSeparator());
        widgets::SetAutoSizedText(row->lspace, QString::fromStdString(row->vSizetxt));
        row->usageBar->setPosition(row->vPBPosition);
        row->usageBar->setAccessibleDescription(
            widgets::QFill(widgets::QTr("%1% used; %2"), {QString::number(row->vPBPosition), QString::fromStdString(row->vSizetxt)}));
        ++n;
    }
    FDCount = n;
    for (DriveRow* row : vObjarr) widgets::GiveAccentRoom(row);
    PlaceLeftOutNote(Obj);
    SetScrollBar(n);
}

void DriveCatalogue::PlaceLeftOutNote(QWidget* page) {
    if (page == nullptr) return;
    if (lleftout == nullptr || lleftout->parentWidget() != page) {
        delete lleftout;
        lleftout = new QLabel(page);
        lleftout->setObjectName(QStringLiteral("lleftout"));
        lleftout->setTextFormat(Qt::PlainText);
    }
    QString drives;
    for (const auto& [root, refusal] : vLeftOut)
        drives += (drives.isEmpty() ? QString() : QStringLiteral(", ")) + QString::fromStdString(root) +
                  QStringLiteral(" (") + QString::fromUtf8(RefusalText(refusal)) + QStringLiteral(")");
    const QString text = drives.isEmpty() ? QString() : widgets::QFill(widgets::QTr("Cannot be chosen: %1"), {drives});
    // Within the page area, elided in the middle; the whole of it in the tooltip.
    lleftout->setText(lleftout->fontMetrics().elidedText(text, Qt::ElideMiddle, 530));
    lleftout->setToolTip(text);
    lleftout->setAccessibleName(text);
    lleftout->setVisible(!text.isEmpty());
    lleftout->setGeometry(9, 83 * FDCount + 7, 530, lleftout->sizeHint().height());
}

void DriveCatalogue::ListDrives(QWidget*, QScrollBar*) { SetScrollBar(FDCount); }

void DriveCatalogue::Unchoose(DriveRow* row) {
    row->usageBar->setSmoothReverse(true);
    row->usageBar->setState(StateProgressBar::Normal);
    row->usageBar->setPosition(row->vPBPosition);
    row->setSelected(false);
    widgets::SetAutoSizedText(row->lspace, QString::fromStdString(row->vSizetxt));
}

bool DriveCatalogue::SelectDrive(int id) {
    const std::int64_t content = FDDOwner->shared().selectedSizeSum;
    bool result = false;
    for (int i = 0; i < static_cast<int>(vObjarr.size()); ++i) {
        DriveRow* row = vObjarr[static_cast<std::size_t>(i)];
        if (i != id) {
            row->cbusethis->setChecked(false);
            Unchoose(row);
            continue;
        }
        if (!row->cbusethis->isChecked()) {
            Unchoose(row);
            FDDOwner->shared().chosenDriveRoot.clear();
            FDDOwner->shared().chosenDriveDevice = FDDOwner->shared().chosenDriveMountId = 0;
            IDSelecyed = -1;
            continue;
        }
        row->usageBar->setSmoothReverse(false);
        const std::int64_t needed = SaturatingAdd(row->vUsed, content);
        row->usageBar->setPosition(row->vSize >= needed ? Percent(needed, row->vSize) : 100);
        FDDOwner->shared().chosenDriveRoot = row->vDrive;
        FDDOwner->platform().DriveIdentityOf(row->vDrive, FDDOwner->shared().chosenDriveDevice,
                                             FDDOwner->shared().chosenDriveMountId);
        result = Fits(row->vAtmost, content);
        row->vState = result ? StateProgressBar::Normal : StateProgressBar::Paused;
        row->setSelected(true);
        widgets::SetAutoSizedText(row->lspace, QString::fromStdString(
            SpaceText(row->vSize - needed, row->vSize, FDDOwner->platform().DecimalSeparator())));
        IDSelecyed = id;
    }
    return result;
}

void DriveCatalogue::SetScrollBar(int i) {
    const int rowHeight = vObjarr.empty() ? 0 : vObjarr.front()->height();
    widgets::SetListScrollRange(FDDOwner->listScrollBar(), rowHeight, vObjarr.empty() ? 0 : i, FDDOwner->pageAreaHeight());
}

void DriveCatalogue::SortByName() {
    vSortCriteria = 0;
    catalogue::ExchangeSort(vObjarr, [](DriveRow* a, DriveRow* b) { return CompareTexts(a->vLabel, b->vLabel) > 0; });
}

void DriveCatalogue::SortByPath() {
    vSortCriteria = 1;
    catalogue::ExchangeSort(vObjarr, [](DriveRow* a, DriveRow* b) { return CompareTexts(a->vDrive, b->vDrive) > 0; });
}

void DriveCatalogue::SortBySize() {
    vSortCriteria = 2;
    catalogue::ExchangeSort(vObjarr, [](DriveRow* a, DriveRow* b) { return a->vFree < b->vFree; });
}

void DriveCatalogue::Sort(int sortID) {
    catalogue::SortByIndex(sortID, [this] { SortByName(); }, [this] { SortByPath(); }, [this] { SortBySize(); });
    RefreshList();
}

void DriveCatalogue::RefreshList() {
    FDDOwner->listScrollBar()->setValue(0);
    // The choice follows its row to its new place.
    DriveRow* chosen = nullptr;
    for (DriveRow* row : vObjarr)
        if (row->ID == IDSelecyed) chosen = row;
    for (int i = 0; i < static_cast<int>(vObjarr.size()); ++i) {
        DriveRow* row = vObjarr[static_cast<std::size_t>(i)];
        row->ID = i;
        row->move(row->x(), (row->height() + 3) * i + 3);
        if (row == chosen) IDSelecyed = i;
    }
    if (lleftout != nullptr) lleftout->move(lleftout->x(), 83 * FDCount + 7);
}

}  // namespace trovel::space
