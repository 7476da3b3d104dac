// The search by postal code: every commune whose postal code begins with the typed text.
#include "lookup/search/postal_search.h"

#include "lookup/text/utf8.h"
#include "prefix_matches.h"

namespace tarvel::search {
namespace {

std::string PostalStatus(std::size_t count) {
    if (count == 0) return "Ce code postal est inexistant.";
    if (count == 1) return "Une commune a ce code postal.";
    return std::to_string(count) + " communes trouvées.";
}

}  // namespace

SearchResult SearchByPostalCode(const data::CommuneTable& table, std::string_view typed) {
    SearchResult result;
    if (text::CountCharacters(typed) < kPostalSearchMinimum) return result;
    result.lines = ListLines(table, ListLines::Form::Key);
    ForEachKeyWithPrefix(table, typed, [&](std::size_t i, std::string_view) {
        if (result.lines.empty()) result.firstMatch = data::CaptionsOfPostalRecord(table.Record(i));
        result.lines.Add(static_cast<std::uint32_t>(i));
    });
    result.status = PostalStatus(result.lines.size());
    return result;
}

}  // namespace tarvel::search
