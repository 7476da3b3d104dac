// Decoding of Windows-1252 text, the encoding of the commune tables, into UTF-8.
#include "lookup/data/windows1252.h"

#include <array>

namespace tarvel::data {
namespace {

// Code points of bytes 0x80 to 0x9F; above them Windows-1252 equals Latin-1.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

char* WriteWindows1252(unsigned char byte, char* out) {
    if (byte < 0x80) {
        *out++ = static_cast<char>(byte);
        return out;
    }
    const char32_t code = byte < 0xA0 ? kHighControls[byte - 0x80] : byte;
    if (code < 0x800) {
        *out++ = static_cast<char>(0xC0 | (code >> 6));
    } else {
        *out++ = static_cast<char>(0xE0 | (code >> 12));
        *out++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    }
    *out++ = static_cast<char>(0x80 | (code & 0x3F));
    return out;
}

std::size_t DecodedWindows1252Size(std::string_view bytes) {
    std::size_t size = bytes.size();
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80) size += (byte < 0xA0 && kHighControls[byte - 0x80] >= 0x800) ? 2 : 1;
    }
    return size;
}

std::string DecodeWindows1252(std::string_view bytes) {
    std::string text(DecodedWindows1252Size(bytes), '\0');
    char* out = text.data();
    for (const char byte : bytes) out = WriteWindows1252(static_cast<unsigned char>(byte), out);
    return text;
}

}  // namespace tarvel::data
