// Decoding of Windows-1252 text, the encoding of the commune tables, into UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tarvel::data {

// Writes the UTF-8 form of one Windows-1252 byte at out and returns the position after it.
// The five bytes that Windows-1252 leaves undefined map to the control characters of the
// same number, as Windows itself does.
char* WriteWindows1252(unsigned char byte, char* out);

std::string DecodeWindows1252(std::string_view bytes);

// The length in bytes of the UTF-8 form of some Windows-1252 text.
std::size_t DecodedWindows1252Size(std::string_view bytes);

}  // namespace tarvel::data
