// The search by commune name: every commune whose name key begins with the cleaned text.
#include "lookup/search/name_search.h"

#include "lookup/search/letter_case.h"
#include "lookup/search/utf8.h"

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
    if (CountCharacters(cleaned) < kNameSearchMinimum) return result;
    const std::string prefix = ToUpperFrench(cleaned);
    for (std::size_t i = 0; i < table.Count(); ++i) {
        const std::string_view key = table.Key(i);
        if (!key.starts_with(prefix)) continue;
        const std::string_view record = table.Record(i);
        if (result.records.empty()) {
            result.lines.Reserve(256, 256 * 24);
            result.firstMatch = CaptionsOfNameRecord(record);
        }
        result.lines.AppendJoined(PostalCodeOfNameRecord(record), ' ', key);
        result.records.push_back(static_cast<std::uint32_t>(i));
    }
    result.status = NameStatus(result.records.size());
    return result;
}

}  // namespace tarvel::search
