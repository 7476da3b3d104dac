// Upper- and lower-casing of letters as French users expect.
#include "lookup/search/letter_case.h"

#include "lookup/search/utf8.h"

namespace tarvel::search {
namespace {

bool In(char32_t code, char32_t first, char32_t last) { return code >= first && code <= last; }

// Latin Extended-A pairs its cases as (upper, lower) at even/odd code points, except in
// two runs where the upper case sits at the odd one.
bool IsLatinExtendedPairRun(char32_t code) {
    return In(code, 0x100, 0x12F) || In(code, 0x132, 0x137) || In(code, 0x14A, 0x177);
}
bool IsLatinExtendedOddUpperRun(char32_t code) {
    return In(code, 0x139, 0x148) || In(code, 0x179, 0x17E);
}

}  // namespace

char32_t ToUpperFrench(char32_t c) {
    if (In(c, 'a', 'z') || (In(c, 0xE0, 0xFE) && c != 0xF7)) return c - 0x20;
    if (c == 0xFF) return 0x178;                       // ÿ
    if (c == 0x131) return 'I';                        // dotless i
    if (c == 0x17F) return 'S';                        // long s
    if (IsLatinExtendedPairRun(c)) return c & ~char32_t{1};
    if (IsLatinExtendedOddUpperRun(c) && (c % 2 == 0)) return c - 1;
    if (In(c, 0x3B1, 0x3C1) || In(c, 0x3C3, 0x3CB)) return c - 0x20;  // Greek
    if (c == 0x3C2) return 0x3A3;                                    // final sigma
    if (c == 0x3AC) return 0x386;
    if (In(c, 0x3AD, 0x3AF)) return c - 0x25;
    if (c == 0x3CC) return 0x38C;
    if (In(c, 0x3CD, 0x3CE)) return c - 0x3F;
    if (In(c, 0x430, 0x44F)) return c - 0x20;  // Cyrillic
    if (In(c, 0x450, 0x45F)) return c - 0x50;
    return c;
}

char32_t ToLowerFrench(char32_t c) {
    if (In(c, 'A', 'Z') || (In(c, 0xC0, 0xDE) && c != 0xD7)) return c + 0x20;
    if (c == 0x178) return 0xFF;  // Ÿ
    if (c == 0x130) return 'i';   // dotted capital I
    if (IsLatinExtendedPairRun(c)) return c | 1;
    if (IsLatinExtendedOddUpperRun(c) && (c % 2 == 1)) return c + 1;
    if (In(c, 0x391, 0x3A1) || In(c, 0x3A3, 0x3AB)) return c + 0x20;
    if (c == 0x386) return 0x3AC;
    if (In(c, 0x388, 0x38A)) return c + 0x25;
    if (c == 0x38C) return 0x3CC;
    if (In(c, 0x38E, 0x38F)) return c + 0x3F;
    if (In(c, 0x410, 0x42F)) return c + 0x20;
    if (In(c, 0x400, 0x40F)) return c + 0x50;
    return c;
}

namespace {

template <char32_t (*Map)(char32_t)>
std::string MapText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char32_t code : DecodeUtf8(text)) AppendUtf8(Map(code), out);
    return out;
}

}  // namespace

std::string ToUpperFrench(std::string_view text) {
    return MapText<static_cast<char32_t (*)(char32_t)>(ToUpperFrench)>(text);
}
std::string ToLowerFrench(std::string_view text) {
    return MapText<static_cast<char32_t (*)(char32_t)>(ToLowerFrench)>(text);
}

}  // namespace tarvel::search
