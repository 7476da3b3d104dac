// The rule for commune names typed by the user.
#include "lookup/search/name_entry.h"

#include <unordered_set>

#include "lookup/text/letter_case.h"
#include "lookup/text/utf8.h"

namespace tarvel::search {

bool IsAcceptedCharacter(char32_t code) {
    return (code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9') || code == ' ';
}

// Linear in the text's length, however many distinct characters it rejects.
NameEntryCheck CheckTypedName(std::string_view typed) {
    NameEntryCheck check;
    std::unordered_set<char32_t> rejected;
    const std::u32string codes = text::DecodeUtf8(text::ToUpperFrench(typed));
    check.cleaned.reserve(codes.size());
    for (const char32_t code : codes) {
        if (IsAcceptedCharacter(code))
            check.cleaned.push_back(static_cast<char>(code));
        else if (rejected.insert(code).second)
            check.rejected.push_back(text::EncodeUtf8(std::u32string(1, code)));
    }
    return check;
}

std::string RejectedCharacterMessage(std::string_view character) {
    return "Le caractere '' " + std::string(character) + " '' n'est pas valide.";
}

std::string OtherRejectedCharactersMessage(std::size_t count) {
    if (count == 1) return "Un autre caractère non valide a été retiré du nom.";
    return "Les " + std::to_string(count) +
           " autres caractères non valides ont été retirés du nom.";
}

}  // namespace tarvel::search
