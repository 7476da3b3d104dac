// The search by commune name: every commune whose name key begins with the cleaned text.
#include "lookup/search/name_search.h"

#include "lookup/text/letter_case.h"
#include "lookup/text/utf8.h"
#include "prefix_matches.h"

namespace tarvel::search {
namespace {

std::string NameStatus(std::size_t count) {
    if (count == 0) return "Aucun nom de commune n'a été trouvé.";
    if (count == 1) return "Une commune trouvée.";
    return std::to_string(count) + " communes trouvées.";
}

}  // namespace

SearchResult SearchByName(const data::CommuneTable& table, std::string_view cleaned) {
    SearchResult result;
    if (text::CountCharacters(cleaned) < kNameSearchMinimum) return result;
    const std::string prefix = text::ToUpperFrench(cleaned);
    result.lines = ListLines(table, ListLines::Form::PostalCodeThenKey);
    ForEachKeyWithPrefix(table, prefix, [&](std::size_t i, std::string_view) {
        if (result.lines.empty()) result.firstMatch = data::CaptionsOfNameRecord(table.Record(i));
        result.lines.Add(static_cast<std::uint32_t>(i));
    });
    result.status = NameStatus(result.lines.size());
    return result;
}

}  // namespace tarvel::search
