// The search by postal code: every commune whose postal code begins with the typed text.
#include "lookup/search/postal_search.h"

#include "lookup/search/utf8.h"

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
    if (CountCharacters(typed) < kPostalSearchMinimum) return result;
    for (std::size_t i = 0; i < table.Count(); ++i) {
        const std::string_view key = table.Key(i);
        if (!key.starts_with(typed)) continue;
        if (result.records.empty()) {
            result.lines.Reserve(64, 64 * 32);
            result.firstMatch = CaptionsOfPostalRecord(table.Record(i));
        }
        result.lines.Append(key);
        result.records.push_back(static_cast<std::uint32_t>(i));
    }
    result.status = PostalStatus(result.records.size());
    return result;
}

}  // namespace tarvel::search
