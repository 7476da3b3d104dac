// Conversions between BSTR (UTF-16) and the UTF-8 text of the control.
#pragma once

#include <QString>
#include <string>

#include "netpull/http/platform/com_types.h"

namespace netpull::component {

inline std::string ToUtf8(com::BSTR text) {
    if (text == nullptr) return {};
    return QString::fromUtf16(text, static_cast<qsizetype>(com::SysStringLen(text))).toStdString();
}

inline com::BSTR ToBstr(const std::string& text) {
    const std::u16string wide = QString::fromStdString(text).toStdU16String();
    return com::SysAllocStringLen(wide.data(), static_cast<com::UINT>(wide.size()));
}

}  // namespace netpull::component
