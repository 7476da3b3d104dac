// Decoding of Windows-1252 text, the encoding of the commune tables, into UTF-8.
#include "lookup/text/windows1252.h"

#include <array>
#include <cstring>

#include "lookup/text/utf8.h"

namespace tarvel::text {
namespace {

static_assert(kDecodeSlack >= 8, "whole words are written");

// Code points of bytes 0x80 to 0x9F; above them Windows-1252 equals Latin-1.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The UTF-8 bytes of every Windows-1252 byte, padded to four, and their number.
struct Utf8Form {
    std::array<char, 4> bytes{};
    unsigned char length = 0;
};

std::array<Utf8Form, 256> MakeUtf8Forms() {
    std::array<Utf8Form, 256> forms{};
    for (int byte = 0; byte < 256; ++byte) {
        Utf8Form& form = forms[static_cast<std::size_t>(byte)];
        char* end = WriteWindows1252(static_cast<unsigned char>(byte), form.bytes.data());
        form.length = static_cast<unsigned char>(end - form.bytes.data());
    }
    return forms;
}

constexpr std::uint64_t kHighBits = 0x8080808080808080u;

std::uint64_t Word(const char* at) {
    std::uint64_t word;
    std::memcpy(&word, at, sizeof word);
    return word;
}

// The number of bytes above 0x7F among eight.
std::uint64_t HighBytes(std::uint64_t word) {
    return (((word & kHighBits) >> 7) * 0x0101010101010101u) >> 56;
}

}  // namespace

char32_t Windows1252CodePoint(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : byte;
}

char* WriteWindows1252(unsigned char byte, char* out) {
    return WriteUtf8(Windows1252CodePoint(byte), out);
}

std::size_t DecodedWindows1252Size(std::string_view bytes) {
    std::size_t size = bytes.size();
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80) size += (byte < 0xA0 && kHighControls[byte - 0x80] >= 0x800) ? 2 : 1;
    }
    return size;
}

std::size_t DecodedWindows1252Bound(std::string_view bytes) {
    std::size_t high = 0, i = 0;
    for (; i + 8 <= bytes.size(); i += 8) high += HighBytes(Word(bytes.data() + i));
    for (; i < bytes.size(); ++i) high += static_cast<unsigned char>(bytes[i]) >> 7;
    return bytes.size() + 2 * high;
}

std::size_t DecodeWindows1252Into(std::string_view bytes, char* out) {
    static const std::array<Utf8Form, 256> forms = MakeUtf8Forms();
    char* const start = out;
    const auto decodeOne = [&](char c) {
        const Utf8Form& form = forms[static_cast<unsigned char>(c)];
        std::memcpy(out, form.bytes.data(), 4);
        out += form.length;
    };
    std::size_t i = 0;
    // Plain ASCII goes eight bytes at a time, up to the next byte above 0x7F, which is looked
    // up; the eight are always copied, and only the plain ones kept.
    while (i + 8 <= bytes.size()) {
        const std::uint64_t word = Word(bytes.data() + i);
        const std::uint64_t high = word & kHighBits;
        std::memcpy(out, &word, sizeof word);
        if (high == 0) {
            out += sizeof word;
            i += sizeof word;
            continue;
        }
        const auto plain = static_cast<std::size_t>(__builtin_ctzll(high) / 8);
        out += plain;
        i += plain;
        decodeOne(bytes[i++]);
    }
    for (; i < bytes.size(); ++i) decodeOne(bytes[i]);
    return static_cast<std::size_t>(out - start);
}

std::string DecodeWindows1252(std::string_view bytes) {
    std::string text(DecodedWindows1252Bound(bytes) + kDecodeSlack, '\0');
    text.resize(DecodeWindows1252Into(bytes, text.data()));
    return text;
}

}  // namespace tarvel::text
