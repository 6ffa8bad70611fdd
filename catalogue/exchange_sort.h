#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace trovel::catalogue {

// The lists' sort: passes of adjacent swaps that swap only when `mustFollow(a, b)`
// holds strictly, so items with equal keys keep their order.
template <typename Item, typename MustFollow>
void ExchangeSort(std::vector<Item>& items, MustFollow mustFollow) {
    const std::size_t n = items.size();
    if (n < 2) return;
    for (std::size_t pass = 1; pass < n; ++pass)
        for (std::size_t j = 0; j + pass < n; ++j)
            if (mustFollow(items[j], items[j + 1])) std::swap(items[j], items[j + 1]);
}

// The scroll range of a list of `rows` rows of `rowHeight` pixels, laid 3 pixels apart,
// in a page `pageHeight` pixels high; below 0 when the list fits.
inline int ListScrollRange(int rowHeight, int rows, int pageHeight) { return (rowHeight + 3) * rows + 7 - pageHeight + 3; }

}  // namespace trovel::catalogue
