#include <QLabel>
#include <QScrollBar>

#include "gui/catalogue/wizard_window.h"
#include "core/basics/exchange_sort.h"
#include "gui/catalogue/folder_row.h"
#include "gui/catalogue/known_folder_catalogue.h"
#include "gui/widgets/row_widgets.h"
#include "core/basics/text.h"

namespace trovel::catalogue {

using widgets::Utf16View;

namespace {

int CompareLabels(const QLabel* a, const QLabel* b) {
    const QString x = a->text();
    const QString y = b->text();
    return CompareAsciiFolded(Utf16View(x), Utf16View(y));
}

}  // namespace

void FolderCatalogue::SortByName() {
    vSortCriteria = 0;
    ExchangeSort(framearr, [](FolderRow* a, FolderRow* b) { return CompareLabels(a->lfoldername, b->lfoldername) > 0; });
}

void FolderCatalogue::SortByPath() {
    vSortCriteria = 1;
    // By the whole path, which the label may show elided.
    ExchangeSort(framearr, [](FolderRow* a, FolderRow* b) {
        return CompareAsciiFolded(Utf16View(a->lfolderpath->toolTip()), Utf16View(b->lfolderpath->toolTip())) > 0;
    });
}

void FolderCatalogue::SortBySize() {
    vSortCriteria = 2;
    ExchangeSort(framearr, [](FolderRow* a, FolderRow* b) { return a->FolderSize < b->FolderSize; });
}

void FolderCatalogue::Sort(int sortID) {
    SortByIndex(sortID, [this] { SortByName(); }, [this] { SortByPath(); }, [this] { SortBySize(); });
    ShowAll(false);
    FkfOwner->listScrollBar()->setValue(0);
    int k = 0;
    // Only the rows on the page take places: those a search took off stay off, so the
    // found ones stay within the search's scroll range.
    for (FolderRow* row : framearr) {
        if (!row->active || !row->IsAttached()) continue;
        PlaceRow(row, k);
        ++k;
    }
    ShowAll(true);
}

}  // namespace trovel::catalogue
