// The registry entries of the control library, in the real registry.
#include "registration.h"

#include <oleauto.h>
#include <olectl.h>

#include <string>
#include <vector>

#include "http_interface.h"

namespace netpull::activex {
namespace {

constexpr wchar_t kProgId[] = L"Netpull.HTTP";
constexpr wchar_t kMiscStatus[] = L"131473";
constexpr wchar_t kVersion[] = L"1.0";

struct Entry {
    std::wstring key;    // under HKEY_CLASSES_ROOT
    std::wstring name;   // empty for the default value
    std::wstring value;  // written as a string
};

std::wstring GuidText(const GUID& guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return text;
}

// Every value registration writes, keys listed before their subkeys.
std::vector<Entry> Entries(const std::wstring& libraryPath) {
    const std::wstring clsid = L"CLSID\\" + GuidText(CLSID_HTTP);
    return {
        {kProgId, L"", kProgId},
        {std::wstring(kProgId) + L"\\CLSID", L"", GuidText(CLSID_HTTP)},
        {clsid + L"\\ProgID", L"", kProgId},
        {clsid + L"\\InprocServer32", L"", libraryPath},
        {clsid + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
        {clsid + L"\\Control", L"", L""},
        {clsid + L"\\ToolboxBitmap32", L"", libraryPath + L", 30000"},
        {clsid + L"\\MiscStatus", L"", L"0"},
        {clsid + L"\\MiscStatus\\1", L"", kMiscStatus},
        {clsid + L"\\TypeLib", L"", GuidText(LIBID_Netpull)},
        {clsid + L"\\Version", L"", kVersion},
    };
}

bool Write(const Entry& entry) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, entry.key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return false;
    const auto size = static_cast<DWORD>((entry.value.size() + 1) * sizeof(wchar_t));
    const bool written =
        RegSetValueExW(key, entry.name.empty() ? nullptr : entry.name.c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(entry.value.c_str()), size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return written;
}

// Removes a key that holds no value and no subkey.
void RemoveIfEmpty(const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    DWORD subkeys = 0, values = 0;
    const LONG read = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                       &values, nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(key);
    if (read == ERROR_SUCCESS && subkeys == 0 && values == 0)
        RegDeleteKeyW(HKEY_CLASSES_ROOT, path.c_str());
}

// Removes each value, deepest key first, then the keys left empty, the class's own included;
// whatever else a key holds stays.
void RemoveAll(const std::vector<Entry>& entries) {
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, entry->key.c_str(), 0, KEY_SET_VALUE, &key) ==
            ERROR_SUCCESS) {
            RegDeleteValueW(key, entry->name.empty() ? nullptr : entry->name.c_str());
            RegCloseKey(key);
        }
        RemoveIfEmpty(entry->key);
    }
    RemoveIfEmpty(L"CLSID\\" + GuidText(CLSID_HTTP));
}

}  // namespace

HRESULT Register(const std::wstring& libraryPath) {
    ITypeLib* library = nullptr;
    if (FAILED(LoadTypeLibEx(libraryPath.c_str(), REGKIND_NONE, &library)))
        return SELFREG_E_TYPELIB;
    const HRESULT registered =
        RegisterTypeLib(library, const_cast<LPOLESTR>(libraryPath.c_str()), nullptr);
    library->Release();
    if (FAILED(registered)) return SELFREG_E_TYPELIB;
    const std::vector<Entry> entries = Entries(libraryPath);
    for (const Entry& entry : entries) {
        if (!Write(entry)) {
            RemoveAll(entries);
            return SELFREG_E_CLASS;
        }
    }
    return S_OK;
}

HRESULT Unregister() {
    RemoveAll(Entries(std::wstring()));
    const HRESULT hr =
        UnRegisterTypeLib(LIBID_Netpull, 1, 0, 0, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
    return SUCCEEDED(hr) || hr == TYPE_E_REGISTRYACCESS || hr == TYPE_E_LIBNOTREGISTERED
               ? S_OK
               : SELFREG_E_TYPELIB;
}

}  // namespace netpull::activex
