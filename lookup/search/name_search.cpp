// The search by commune name: every commune whose name key begins with the cleaned text, with
// "SAINT" and "SAINTE" read as La Poste's "ST" and "STE".
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

// La Poste writes "SAINT" and "SAINTE" as "ST" and "STE" in every name.
std::string_view PostalWord(std::string_view word) {
    if (word == "SAINT") return "ST";
    if (word == "SAINTE") return "STE";
    return word;
}

}  // namespace

std::vector<std::string> NameSearchPrefixes(std::string_view cleaned) {
    const std::string upper = text::ToUpperFrench(cleaned);
    // Every whole word, that is every word a space follows, as La Poste writes it.
    std::string written;
    std::size_t from = 0;
    for (std::size_t space = upper.find(' '); space != std::string::npos;
         space = upper.find(' ', from)) {
        written.append(PostalWord(std::string_view(upper).substr(from, space - from))).append(" ");
        from = space + 1;
    }
    const std::string_view last = std::string_view(upper).substr(from);
    std::vector<std::string> prefixes{written + std::string(last)};
    // A last word on its way to SAINT or SAINTE may be either, as La Poste writes them.
    constexpr std::size_t kShortestSaintStart = 4;
    if (last.size() >= kShortestSaintStart) {
        for (const std::string_view word : {"SAINT", "SAINTE"})
            if (word.starts_with(last))
                prefixes.push_back(written + std::string(PostalWord(word)) + " ");
    }
    return prefixes;
}

SearchResult SearchByName(const data::CommuneTable& table, std::string_view cleaned) {
    SearchResult result;
    if (text::CountCharacters(cleaned) < kNameSearchMinimum) return result;
    result.lines = ListLines(table, ListLines::Form::PostalCodeThenKey);
    for (const std::string& prefix : NameSearchPrefixes(cleaned)) {
        ForEachKeyWithPrefix(table, prefix, [&](std::size_t i, std::string_view) {
            if (result.lines.empty())
                result.firstMatch = data::CaptionsOfNameRecord(table.Record(i));
            result.lines.Add(static_cast<std::uint32_t>(i));
        });
    }
    result.status = NameStatus(result.lines.size());
    return result;
}

}  // namespace tarvel::search
