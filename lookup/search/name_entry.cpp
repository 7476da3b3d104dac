// The rule for commune names typed by the user.
#include "lookup/search/name_entry.h"

#include <unordered_set>

#include "lookup/text/letter_case.h"
#include "lookup/text/utf8.h"

namespace tarvel::search {

bool IsAcceptedCharacter(char32_t code) {
    return (code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9') || code == ' ';
}

namespace {

// The base letter of each capital with diacritics from U+00C0 to U+017F (Latin-1 and Latin
// Extended-A; Ø, Đ, Ħ, Ł and Ŧ have none in Unicode and get theirs here), '.' for the rest.
constexpr char32_t kFirstFolded = 0xC0;
constexpr std::string_view kBaseLetters =
    "AAAAAA.CEEEEIIII.NOOOOO.OUUUUY.................................."
    "A.A.A.C.C.C.C.D.D.E.E.E.E.E.G.G.G.G.H.H.I.I.I.I.I...J.K..L.L.L.L"
    ".L.N.N.N....O.O.O...R.R.R.S.S.S.S.T.T.T.U.U.U.U.U.U.W.Y.YZ.Z.Z..";
constexpr std::string_view kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";

}  // namespace

std::string_view NameKeyFolding(char32_t code) {
    switch (code) {
        case U'\'':
        case U'\u2019':  // the typographic apostrophe
        case U'-':
        case U'\u2010':  // hyphen
        case U'\u2011':  // non-breaking hyphen
            return " ";
        case U'\u00C6':
            return "AE";
        case U'\u0152':
            return "OE";
        default:
            break;
    }
    if (code < kFirstFolded || code - kFirstFolded >= kBaseLetters.size()) return {};
    const char base = kBaseLetters[code - kFirstFolded];
    return base == '.' ? std::string_view()
                       : kLetters.substr(static_cast<std::size_t>(base - 'A'), 1);
}

// Linear in the text's length, however many distinct characters it rejects.
NameEntryCheck CheckTypedName(std::string_view typed) {
    NameEntryCheck check;
    std::unordered_set<char32_t> rejected;
    const std::u32string codes = text::DecodeUtf8(text::ToUpperFrench(typed));
    check.cleaned.reserve(codes.size());
    for (const char32_t code : codes) {
        if (IsAcceptedCharacter(code)) {
            check.cleaned.push_back(static_cast<char>(code));
        } else if (const std::string_view folded = NameKeyFolding(code); !folded.empty()) {
            check.cleaned.append(folded);
        } else if (rejected.insert(code).second) {
            check.rejected.push_back(text::EncodeUtf8(std::u32string(1, code)));
        }
    }
    check.cleaned.erase(0, check.cleaned.find_first_not_of(' '));
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
