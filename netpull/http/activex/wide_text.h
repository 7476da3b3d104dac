// Conversions between the control's UTF-8 text and Windows' UTF-16: wide strings and BSTRs.
#pragma once

#include <windows.h>

#include <oleauto.h>

#include <string>

namespace netpull::activex {

std::wstring Wide(const std::string& text);
std::string Utf8(const wchar_t* text, int length);
inline std::string Utf8(BSTR text) {
    return text != nullptr ? Utf8(text, static_cast<int>(SysStringLen(text))) : std::string();
}
BSTR ToBstr(const std::string& text);

}  // namespace netpull::activex
