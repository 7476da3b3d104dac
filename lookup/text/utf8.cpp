// Conversions between UTF-8 text, the program's text form, and code points.
#include "lookup/text/utf8.h"

namespace tarvel::text {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Decodes the character at text[at], advancing at past it.
char32_t DecodeOne(std::string_view text, std::size_t& at) {
    const auto lead = static_cast<unsigned char>(text[at++]);
    if (lead < 0x80) return lead;
    const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
    if (extra < 0 || lead > 0xF4 || at + extra > text.size()) return kReplacement;
    char32_t code = lead & (0x3F >> extra);
    for (int i = 0; i < extra; ++i) {
        const auto byte = static_cast<unsigned char>(text[at + i]);
        if (!IsContinuation(byte)) return kReplacement;
        code = (code << 6) | (byte & 0x3F);
    }
    constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return kReplacement;
    at += extra;
    return code;
}

}  // namespace

std::u32string DecodeUtf8(std::string_view text) {
    std::u32string codes;
    codes.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) codes.push_back(DecodeOne(text, at));
    return codes;
}

char* WriteUtf8(char32_t code, char* out) {
    if ((code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) code = kReplacement;
    if (code < 0x80) {
        *out++ = static_cast<char>(code);
        return out;
    }
    if (code < 0x800) {
        *out++ = static_cast<char>(0xC0 | (code >> 6));
    } else if (code < 0x10000) {
        *out++ = static_cast<char>(0xE0 | (code >> 12));
        *out++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    } else {
        *out++ = static_cast<char>(0xF0 | (code >> 18));
        *out++ = static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        *out++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    }
    *out++ = static_cast<char>(0x80 | (code & 0x3F));
    return out;
}

void AppendUtf8(char32_t code, std::string& out) {
    char bytes[kMaxUtf8Length];
    out.append(bytes, WriteUtf8(code, bytes));
}

std::string EncodeUtf8(std::u32string_view codes) {
    std::string text;
    text.reserve(codes.size());
    for (const char32_t code : codes) AppendUtf8(code, text);
    return text;
}

std::size_t CountCharacters(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t at = 0; at < text.size();) {
        DecodeOne(text, at);
        ++count;
    }
    return count;
}

}  // namespace tarvel::text
