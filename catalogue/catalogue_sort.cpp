#include <QLabel>
#include <QScrollBar>

#include <utility>

#include "app/main_window.h"
#include "catalogue/folder_row.h"
#include "catalogue/known_folder_catalogue.h"
#include "catalogue/row_widgets.h"
#include "catalogue/text.h"

namespace trovel::catalogue {
namespace {

int CompareLabels(const QLabel* a, const QLabel* b) {
    const QString x = a->text();
    const QString y = b->text();
    return CompareAsciiFolded(Utf16View(x), Utf16View(y));
}

}  // namespace

// Exchange sort with adjacent swaps, only on strict inequality, so equal keys keep their order.
template <typename Before>
void Tvkfo::BubbleSort(Before mustFollow) {
    const std::size_t n = framearr.size();
    if (n < 2) return;
    for (std::size_t pass = 1; pass < n; ++pass)
        for (std::size_t j = 0; j + pass < n; ++j)
            if (mustFollow(framearr[j], framearr[j + 1])) std::swap(framearr[j], framearr[j + 1]);
}

void Tvkfo::SortByName() {
    vSortCriteria = 0;
    BubbleSort([](TFrame1* a, TFrame1* b) { return CompareLabels(a->lfoldername, b->lfoldername) > 0; });
}

void Tvkfo::SortByPath() {
    vSortCriteria = 1;
    BubbleSort([](TFrame1* a, TFrame1* b) { return CompareLabels(a->lfolderpath, b->lfolderpath) > 0; });
}

void Tvkfo::SortBySize() {
    vSortCriteria = 2;
    BubbleSort([](TFrame1* a, TFrame1* b) { return a->FolderSize < b->FolderSize; });
}

void Tvkfo::Sort(int sortID) {
    switch (sortID) {
        case 0: SortByName(); break;
        case 1: SortByPath(); break;
        case 2: SortBySize(); break;
        default: break;
    }
    ShowAll(false);
    FkfOwner->ScrollBar1->setValue(0);
    int k = 0;
    for (TFrame1* row : framearr) {
        if (!row->active) continue;
        PlaceRow(row, k);
        ++k;
    }
    ShowAll(true);
}

}  // namespace trovel::catalogue
