// Conversions between UTF-8 text, the program's text form, and code points.
#pragma once

#include <string>
#include <string_view>

namespace tarvel::text {

// Malformed bytes decode to U+FFFD, one per byte, so any input can be examined safely.
std::u32string DecodeUtf8(std::string_view text);
// Writes the UTF-8 form of one code point at out, which has room for kMaxUtf8Length bytes,
// and returns the position after it. Surrogates and values beyond U+10FFFF, which have no
// UTF-8 form, are written as U+FFFD.
inline constexpr std::size_t kMaxUtf8Length = 4;
char* WriteUtf8(char32_t code, char* out);
void AppendUtf8(char32_t code, std::string& out);
std::string EncodeUtf8(std::u32string_view codes);
std::size_t CountCharacters(std::string_view text);

}  // namespace tarvel::text
