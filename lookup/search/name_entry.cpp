// The rule for commune names typed by the user.
#include "lookup/search/name_entry.h"

#include "lookup/search/letter_case.h"
#include "lookup/search/utf8.h"

namespace tarvel::search {

bool IsAcceptedCharacter(char32_t code) {
    return (code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9') || code == ' ';
}

NameEntryCheck CheckTypedName(std::string_view typed) {
    NameEntryCheck check;
    std::u32string rejected;
    for (const char32_t code : DecodeUtf8(ToUpperFrench(typed))) {
        if (IsAcceptedCharacter(code)) {
            check.cleaned.push_back(static_cast<char>(code));
        } else if (rejected.find(code) == std::u32string::npos) {
            rejected.push_back(code);
            check.rejected.push_back(EncodeUtf8(std::u32string(1, code)));
        }
    }
    return check;
}

std::string RejectedCharacterMessage(std::string_view character) {
    return "Le caractere '' " + std::string(character) + " '' n'est pas valide.";
}

}  // namespace tarvel::search
