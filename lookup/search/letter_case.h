// Upper- and lower-casing of letters as French users expect: accents are kept
// ("é" and "É"), ligatures change case ("œ" and "Œ").
#pragma once

#include <string>
#include <string_view>

namespace tarvel::search {

// Covers Latin (with its accented and extended letters), Greek and Cyrillic; any other
// character is returned unchanged.
char32_t ToUpperFrench(char32_t code);
char32_t ToLowerFrench(char32_t code);

std::string ToUpperFrench(std::string_view text);
std::string ToLowerFrench(std::string_view text);

}  // namespace tarvel::search
