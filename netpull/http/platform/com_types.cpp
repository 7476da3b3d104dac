// BSTR and VARIANT helpers with Windows' layout.
#include "netpull/http/platform/com_types.h"

#include <cstdlib>

#include "netpull/http/platform/interfaces.h"

namespace netpull::com {

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
    auto* block = static_cast<std::uint8_t*>(
        std::malloc(sizeof(std::uint32_t) + (length + 1) * sizeof(OLECHAR)));
    if (block == nullptr) return nullptr;
    const std::uint32_t bytes = length * sizeof(OLECHAR);
    std::memcpy(block, &bytes, sizeof bytes);
    auto* characters = reinterpret_cast<OLECHAR*>(block + sizeof(std::uint32_t));
    if (text != nullptr)
        std::memcpy(characters, text, bytes);
    else
        std::memset(characters, 0, bytes);
    characters[length] = 0;
    return characters;
}

BSTR SysAllocString(const OLECHAR* text) {
    if (text == nullptr) return nullptr;
    UINT length = 0;
    while (text[length] != 0) ++length;
    return SysAllocStringLen(text, length);
}

void SysFreeString(BSTR text) {
    if (text != nullptr) std::free(reinterpret_cast<std::uint8_t*>(text) - sizeof(std::uint32_t));
}

UINT SysStringLen(BSTR text) {
    if (text == nullptr) return 0;
    std::uint32_t bytes = 0;
    std::memcpy(&bytes, reinterpret_cast<std::uint8_t*>(text) - sizeof(std::uint32_t),
                sizeof bytes);
    return bytes / sizeof(OLECHAR);
}

void VariantInit(VARIANT* value) {
    std::memset(value, 0, sizeof(VARIANT));
}

HRESULT VariantClear(VARIANT* value) {
    if (value == nullptr) return E_INVALIDARG;
    if (value->vt == VT_BSTR) SysFreeString(value->bstrVal);
    if ((value->vt == VT_UNKNOWN || value->vt == VT_DISPATCH) && value->punkVal != nullptr)
        value->punkVal->Release();
    VariantInit(value);
    return S_OK;
}

}  // namespace netpull::com
