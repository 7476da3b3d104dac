// UTF-8 text as the UTF-16 that the wide-character Win32 calls take: save paths and the server
// names TLS checks.
#pragma once

#include <windows.h>

#include <string>

namespace netpull::http {

inline std::wstring Wide(const std::string& text) {
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                        length);
    return wide;
}

}  // namespace netpull::http
