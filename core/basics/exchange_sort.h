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

// Runs the sort a sort box's index names: 0 by name, 1 by path, 2 by size; others sort nothing.
template <typename ByName, typename ByPath, typename BySize>
void SortByIndex(int sortID, ByName byName, ByPath byPath, BySize bySize) {
    switch (sortID) {
        case 0: byName(); break;
        case 1: byPath(); break;
        case 2: bySize(); break;
        default: break;
    }
}

}  // namespace trovel::catalogue
