// The records of a table whose key begins with some text, in table order: found by binary
// search when the keys ascend (they stand together then), by a scan of every key otherwise.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>

#include "lookup/data/commune_table.h"

namespace tarvel::search {

// Calls visit(index, key) for each matching record, in table order.
template <typename Visit>
void ForEachKeyWithPrefix(const data::CommuneTable& table, std::string_view prefix, Visit&& visit) {
    if (!table.KeysAscending()) {
        for (std::size_t i = 0; i < table.Count(); ++i)
            if (table.Key(i).starts_with(prefix)) visit(i, table.Key(i));
        return;
    }
    // The first key not before the prefix, then the first one past the keys that begin with it.
    const auto firstWhere = [&](std::size_t low, auto&& past) {
        std::size_t high = table.Count();
        while (low < high) {
            const std::size_t middle = low + (high - low) / 2;
            if (past(table.Key(middle)))
                high = middle;
            else
                low = middle + 1;
        }
        return low;
    };
    const std::size_t first = firstWhere(0, [&](std::string_view key) { return key >= prefix; });
    const std::size_t last = firstWhere(
        first, [&](std::string_view key) { return key.substr(0, prefix.size()) > prefix; });
    for (std::size_t i = first; i < last; ++i) visit(i, table.Key(i));
}

}  // namespace tarvel::search
