// Upper- and lower-casing of letters, by Unicode's mappings.
#include "lookup/text/letter_case.h"

#include <algorithm>
#include <iterator>

#include "lookup/text/utf8.h"

namespace tarvel::text {
namespace {

struct CaseMapping {
    char32_t code;
    char32_t mapped[3];  // unused places are 0
};

#include "case_tables.inc"

template <std::size_t N>
const CaseMapping* Find(const CaseMapping (&table)[N], char32_t code) {
    const CaseMapping* found =
        std::lower_bound(std::begin(table), std::end(table), code,
                         [](const CaseMapping& m, char32_t c) { return m.code < c; });
    return found != std::end(table) && found->code == code ? found : nullptr;
}

}  // namespace

char32_t ToUpperFrench(char32_t code) {
    if (code < 0x80) return code >= 'a' && code <= 'z' ? code - 0x20 : code;
    const CaseMapping* m = Find(kUpperCase, code);
    // A letter whose capital is several characters ("ß") has no one-character capital.
    return m != nullptr && m->mapped[1] == 0 ? m->mapped[0] : code;
}

char32_t ToLowerFrench(char32_t code) {
    if (code < 0x80) return code >= 'A' && code <= 'Z' ? code + 0x20 : code;
    const CaseMapping* m = Find(kLowerCase, code);
    return m != nullptr ? m->mapped[0] : code;
}

std::string ToUpperFrench(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char32_t code : DecodeUtf8(text)) {
        const CaseMapping* m = code < 0x80 ? nullptr : Find(kUpperCase, code);
        if (m == nullptr) {
            AppendUtf8(ToUpperFrench(code), out);
            continue;
        }
        for (const char32_t mapped : m->mapped)
            if (mapped != 0) AppendUtf8(mapped, out);
    }
    return out;
}

std::string ToLowerFrench(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char32_t code : DecodeUtf8(text)) AppendUtf8(ToLowerFrench(code), out);
    return out;
}

}  // namespace tarvel::text
