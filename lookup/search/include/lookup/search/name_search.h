// The search by commune name: every commune whose name key begins with the cleaned text
// of the name box.
#pragma once

#include <string_view>

#include "lookup/data/commune_table.h"
#include "lookup/search/search_result.h"

namespace tarvel::search {

// The fewest characters that start a search.
inline constexpr std::size_t kNameSearchMinimum = 2;

// Lines are "postal code, space, name key" of the matching records of the name table, in
// table order. Texts of fewer than two characters give an empty result and an empty status.
SearchResult SearchByName(const data::CommuneTable& nameTable, std::string_view cleaned);

}  // namespace tarvel::search
