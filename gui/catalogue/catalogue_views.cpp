#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedWidget>

#include "gui/catalogue/wizard_window.h"
#include "core/basics/exchange_sort.h"
#include "gui/catalogue/folder_row.h"
#include "gui/catalogue/known_folder_catalogue.h"
#include "gui/widgets/row_widgets.h"
#include "core/basics/text.h"
#include "core/basics/saturating.h"
#include "core/space/size_text.h"

namespace trovel::catalogue {

using widgets::SetAutoSizedText;
using widgets::Utf16View;

namespace {

QCheckBox* BoxOf(FolderRow* row, Operation operation) {
    switch (operation) {
        case Operation::Move: return row->cbmove;
        case Operation::Copy: return row->cbcopy;
        case Operation::Delete: return row->cbdelete;
        case Operation::Redirected: return row->cbredirected;
    }
    return nullptr;
}

void Offer(QCheckBox* box, bool enabled) {
    box->setVisible(true);
    box->setEnabled(enabled);
}

void Withdraw(QCheckBox* box) {
    box->setChecked(false);
    box->setVisible(false);
}

// 1-based position of `needle` in `haystack`, 0 when absent, as a plain substring test.
qsizetype Position(const std::u16string& needle, const QString& haystack) {
    const auto at = AsciiUpper(Utf16View(haystack)).find(needle);
    return at == std::u16string::npos ? 0 : static_cast<qsizetype>(at) + 1;
}

}  // namespace

void FolderCatalogue::PlaceRow(FolderRow* row, int k) { row->move(row->x(), (row->height() + 3) * k + 3); }

void FolderCatalogue::ShowCount(QLabel* label, std::uint32_t count) {
    if (label != nullptr) SetAutoSizedText(label, QString::number(count));
}

template <typename Decide>
void FolderCatalogue::BuildList(QWidget* page, QScrollBar* scrollbar, Decide decide) {
    if (scrollbar != nullptr) scrollbar->setValue(0);
    int k = 0;
    std::uint32_t ticked = 0;
    for (FolderRow* row : framearr) {
        bool ownBoxTicked = false;
        if (decide(row, ownBoxTicked)) {
            row->AttachTo(page);
            PlaceRow(row, k);
            row->active = true;
            if (ownBoxTicked) ++ticked;
            ++k;
        } else {
            row->active = false;
            row->Detach();
        }
    }
    Fkflistcount = static_cast<std::uint32_t>(k);
    Fkfselectedcount = ticked;
    ShowCount(FkfOwner->checkedCountLabel(), ticked);
    SetScrollBar(k);
}

void FolderCatalogue::GetKFAll(QWidget* Obj, QScrollBar* scrollBar) {
    BuildList(Obj, scrollBar, [](FolderRow* row, bool&) {
        row->cbmove->hide();
        row->cbcopy->hide();
        row->cbredirected->hide();
        row->cbcopied->hide();
        return true;
    });
}

void FolderCatalogue::GetKFDefinedListRedirect(QWidget* Obj, QScrollBar* scrollBar) {
    BuildList(Obj, scrollBar, [this](FolderRow* row, bool& ticked) {
        row->cbcopy->hide();
        const bool listed =
            row->FolderRedirectionCapability == platform::KF_REDIRECTION_CAPABILITIES_REDIRECTABLE &&
            (FkfCategoryset & CategoryBit(row->FolderCategory)) != 0;
        if (listed) {
            Offer(row->cbmove, true);
            ticked = row->cbmove->isChecked();
        } else {
            Withdraw(row->cbmove);
        }
        return listed;
    });
}

void FolderCatalogue::FilterList(QCheckBox* cbu, QCheckBox* cbc, QWidget* Obj, QScrollBar* scrollBar, QLabel* lcount) {
    FkfCategoryset = 0;
    if (cbu->isChecked()) FkfCategoryset |= CategoryBit(platform::KF_CATEGORY_PERUSER);
    if (cbc->isChecked()) FkfCategoryset |= CategoryBit(platform::KF_CATEGORY_COMMON);
    GetKFDefinedListRedirect(Obj, scrollBar);
    ShowCount(lcount, Fkflistcount);
}

void FolderCatalogue::GetKFDefinedListCopy(QWidget* Obj, QScrollBar* scrollBar) {
    BuildList(Obj, scrollBar, [](FolderRow* row, bool& ticked) {
        const bool listed = row->active && row->cbmove->isChecked();
        if (listed) {
            row->cbmove->setEnabled(false);
            Offer(row->cbcopy, true);
            row->cbdelete->hide();
            ticked = row->cbcopy->isChecked();
        } else {
            Withdraw(row->cbcopy);
        }
        return listed;
    });
}

void FolderCatalogue::GetKFDefinedListDelete(QWidget* Obj) {
    BuildList(Obj, FkfOwner->listScrollBar(), [](FolderRow* row, bool& ticked) {
        const bool listed = row->active;
        if (listed) {
            row->cbmove->setEnabled(false);
            row->cbcopy->setEnabled(false);
            // Only content that is copied along may have its old copy deleted.
            const bool copying = row->cbcopy->isChecked();
            Offer(row->cbdelete, copying);
            if (!copying) row->cbdelete->setChecked(false);
            ticked = row->cbdelete->isChecked();
        } else {
            Withdraw(row->cbdelete);
        }
        return listed;
    });
}

void FolderCatalogue::CheckAll(bool tick, Operation operation, QWidget*, QScrollBar* scrollBar, QLabel* lcount) {
    if (scrollBar != nullptr) scrollBar->setValue(0);
    std::uint32_t count = 0;
    for (FolderRow* row : framearr) {
        if (!row->active) continue;
        QCheckBox* box = BoxOf(row, operation);
        if (box == nullptr) continue;
        box->setChecked(tick);
        if (operation == Operation::Delete && !row->cbcopy->isChecked()) {
            row->cbdelete->setChecked(false);
            continue;
        }
        ++count;
    }
    Fkfselectedcount = tick ? count : 0;
    ShowCount(lcount, Fkflistcount);
    ShowCount(FkfOwner->checkedCountLabel(), Fkfselectedcount);
    FkfOwner->SetNextEnabled(CountTicked(operation));
}

bool FolderCatalogue::CountTicked(Operation operation) {
    std::uint32_t count = 0;
    std::int64_t total = 0;
    bool lowerBound = false;
    for (FolderRow* row : framearr) {
        if (!row->active) continue;
        QCheckBox* box = BoxOf(row, operation);
        if (box == nullptr) continue;
        if (box->isChecked()) {
            ++count;
            total = space::SaturatingAdd(total, row->FolderSize);
            lowerBound = lowerBound || row->SizeIsLowerBound;
            if (!row->selected()) row->setSelected(true);
        } else if (row->selected()) {
            row->setSelected(false);
        }
    }
    Fkfselectedcount = count;
    ShowCount(FkfOwner->checkedCountLabel(), count);
    // Moving needs at least one folder; copying and deleting are optional.
    const bool result = operation == Operation::Move ? count > 0 : true;
    if (operation == Operation::Move || operation == Operation::Copy) FkfOwner->shared().selectedSizeSum = total;
    ShowSizeSum(total, lowerBound);
    return result;
}

void FolderCatalogue::FindItems(const QString& text, bool inname, bool inpath, QWidget* Obj, QScrollBar* scrollBar,
                                QLabel* lcount) {
    if (scrollBar != nullptr) scrollBar->setValue(0);
    const bool everything = text.isEmpty() || text == QStringLiteral("*");
    const std::u16string wanted = AsciiUpper(Utf16View(text));
    int k = 0;
    for (FolderRow* row : framearr) {
        if (!row->active) continue;
        qsizetype hits = 0;
        if (!everything) {
            if (inname) hits = Position(wanted, row->lfoldername->text());
            // The whole path, which the label may show elided.
            if (inpath) hits += Position(wanted, row->lfolderpath->toolTip());
        }
        if (everything || hits != 0) {
            row->AttachTo(Obj);
            PlaceRow(row, k);
            ++k;
        } else {
            row->Detach();
        }
    }
    Fkflistcount = static_cast<std::uint32_t>(k);
    SetScrollBar(k);
    ShowCount(lcount, Fkflistcount);
}

void FolderCatalogue::ShowAll(bool show) {
    for (FolderRow* row : framearr)
        if (row->active) row->SetShown(show);
}

void FolderCatalogue::HookItems(QWidget* value) {
    for (FolderRow* row : framearr) {
        if (row->active && value != nullptr) row->AttachTo(value);
        else row->Detach();
    }
}

void FolderCatalogue::SetScrollBar(int i) {
    const int rowHeight = framearr.empty() ? 0 : framearr.front()->height();
    widgets::SetListScrollRange(FkfOwner->listScrollBar(), rowHeight, framearr.empty() ? 0 : i, FkfOwner->pageAreaHeight());
}

}  // namespace trovel::catalogue
