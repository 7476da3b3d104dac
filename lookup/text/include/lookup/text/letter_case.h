// Upper- and lower-casing of letters by Unicode's mappings, as French users expect: accents
// are kept ("é" and "É"), ligatures change case ("œ" and "Œ"), every alphabet is covered.
#pragma once

#include <string>
#include <string_view>

namespace tarvel::text {

// One character for one: a character without a case, or whose capital is several
// characters, is returned unchanged.
char32_t ToUpperFrench(char32_t code);
char32_t ToLowerFrench(char32_t code);

// Text follows the full upper-case mapping: "ß" becomes "SS".
std::string ToUpperFrench(std::string_view text);
std::string ToLowerFrench(std::string_view text);

}  // namespace tarvel::text
