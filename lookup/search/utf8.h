// Conversions between UTF-8 text, the program's text form, and code points.
#pragma once

#include <string>
#include <string_view>

namespace tarvel::search {

// Malformed bytes decode to U+FFFD, one per byte, so any input can be examined safely.
std::u32string DecodeUtf8(std::string_view text);
void AppendUtf8(char32_t code, std::string& out);
std::string EncodeUtf8(std::u32string_view codes);
std::size_t CountCharacters(std::string_view text);

}  // namespace tarvel::search
