// The search by postal code: every commune whose postal code begins with the typed text.
#pragma once

#include <string_view>

#include "lookup/data/commune_table.h"
#include "lookup/search/search_result.h"

namespace tarvel::search {

// The fewest characters that start a search.
inline constexpr std::size_t kPostalSearchMinimum = 3;

// Lines are the keys of the matching records of the postal-code table, in table order.
// Texts of fewer than three characters give an empty result and an empty status.
SearchResult SearchByPostalCode(const data::CommuneTable& postalTable, std::string_view typed);

}  // namespace tarvel::search
