// Decoding of Windows-1252 text, the encoding of the commune tables, into UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarvel::text {

// The character of one byte. The five bytes that Windows-1252 leaves undefined map to the
// control characters of the same number, as Windows itself does.
char32_t Windows1252CodePoint(unsigned char byte);

// Writes the UTF-8 form of one Windows-1252 byte at out and returns the position after it.
char* WriteWindows1252(unsigned char byte, char* out);

std::string DecodeWindows1252(std::string_view bytes);

// The length in bytes of the UTF-8 form of some Windows-1252 text.
std::size_t DecodedWindows1252Size(std::string_view bytes);

// A bound on that length that is quick to compute: two more bytes for every byte above 0x7F.
std::size_t DecodedWindows1252Bound(std::string_view bytes);

// Decodes the whole text at out, which has room for DecodedWindows1252Bound(bytes) bytes and
// kDecodeSlack more, and returns the length written. One table look-up a byte, no branch.
inline constexpr std::size_t kDecodeSlack = 8;
std::size_t DecodeWindows1252Into(std::string_view bytes, char* out);

}  // namespace tarvel::text
