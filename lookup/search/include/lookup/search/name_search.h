// The search by commune name: every commune whose name key begins with the cleaned text
// of the name box.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "lookup/data/commune_table.h"
#include "lookup/search/search_result.h"

namespace tarvel::search {

// The fewest characters that start a search.
inline constexpr std::size_t kNameSearchMinimum = 2;

// The key prefixes a cleaned text stands for, in the order their lines are listed: the text
// with its whole words "SAINT" and "SAINTE" written "ST" and "STE"; then, when its last word
// has four letters or more and begins SAINT or SAINTE ("SAIN", "SAINT", "SAINTE"), the same
// text ending in "ST " and in "STE " instead, as far as the word can become either.
std::vector<std::string> NameSearchPrefixes(std::string_view cleaned);

// Lines are "postal code, space, name key" of the records of the name table whose key begins
// with one of the prefixes, prefix after prefix, each in table order. Texts of fewer than two
// characters give an empty result and an empty status.
SearchResult SearchByName(const data::CommuneTable& nameTable, std::string_view cleaned);

}  // namespace tarvel::search
