// The registry entries of the control library.
#include "registration.h"

#include <cstdio>

#include "guids.h"
#include "own_resources.h"

namespace netpull::component {
namespace {

constexpr const char* kRoot = "HKEY_CLASSES_ROOT\\";
constexpr const char* kProgId = "Netpull.HTTP";
constexpr std::uint32_t kMiscStatus = 131473;
// Automation marshalling for the dual interface and for the dispinterface.
constexpr com::GUID kPSOAInterface{0x00020424, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr com::GUID kPSDispatch{0x00020420, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

std::string Key(const std::string& path) {
    return kRoot + path;
}

void AddInterface(registry::Keys& keys, const com::GUID& iid, const char* name,
                  const com::GUID& proxy) {
    const std::string base = Key("Interface\\" + GuidText(iid));
    keys[base][""] = std::string(name);
    keys[base + "\\ProxyStubClsid"][""] = GuidText(proxy);
    keys[base + "\\ProxyStubClsid32"][""] = GuidText(proxy);
    keys[base + "\\TypeLib"][""] = GuidText(LIBID_Netpull);
    keys[base + "\\TypeLib"]["Version"] = std::string("1.0");
}

bool HasSubkey(const registry::Keys& keys, const std::string& key) {
    const auto next = keys.upper_bound(key + "\\");
    return next != keys.end() && next->first.starts_with(key + "\\");
}

}  // namespace

std::string GuidText(const com::GUID& g) {
    char text[40];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1,
                  g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4],
                  g.Data4[5], g.Data4[6], g.Data4[7]);
    return text;
}

registry::Keys RegistrationEntries(const std::string& libraryPath) {
    registry::Keys keys;
    const std::string clsid = Key("CLSID\\" + GuidText(CLSID_HTTP));
    keys[Key(kProgId)][""] = std::string(kProgId);
    keys[Key(std::string(kProgId) + "\\CLSID")][""] = GuidText(CLSID_HTTP);
    keys[clsid];  // the class has no description of its own
    keys[clsid + "\\ProgID"][""] = std::string(kProgId);
    keys[clsid + "\\InprocServer32"][""] = libraryPath;
    keys[clsid + "\\InprocServer32"]["ThreadingModel"] = std::string("Apartment");
    keys[clsid + "\\Control"];
    keys[clsid + "\\ToolboxBitmap32"][""] = libraryPath + ", 30000";
    keys[clsid + "\\MiscStatus"][""] = std::string("0");
    keys[clsid + "\\MiscStatus\\1"][""] = std::to_string(kMiscStatus);
    keys[clsid + "\\TypeLib"][""] = GuidText(LIBID_Netpull);
    keys[clsid + "\\Version"][""] = std::string("1.0");
    const std::string typelib = Key("TypeLib\\" + GuidText(LIBID_Netpull) + "\\1.0");
    keys[typelib][""] = std::string("Netpull");
    keys[typelib + "\\0\\win32"][""] = libraryPath;
    keys[typelib + "\\FLAGS"][""] = std::string("2");  // control
    keys[typelib + "\\HELPDIR"][""] = std::string();
    AddInterface(keys, IID__HTTP, "_HTTP", kPSOAInterface);
    AddInterface(keys, DIID___HTTP, "__HTTP", kPSDispatch);
    return keys;
}

bool Register(const std::string& libraryPath) {
    // The type library is registered from the library's own resources: it must be there.
    const auto own = OwnResources();
    const resources::Resource* typelib =
        own ? resources::FindResource(*own, "TYPELIB", 1) : nullptr;
    if (typelib == nullptr || !typelib->data.starts_with("MSFT")) return false;
    const registry::Keys entries = RegistrationEntries(libraryPath);
    return registry::Change([&](registry::Keys& keys) {
        for (const auto& [key, values] : entries) {
            auto& target = keys[key];
            for (const auto& [name, value] : values) target[name] = value;
        }
    });
}

// Removes the values registration writes, then those of its keys left with no value and no
// subkey, deepest first; whatever a host added beside them stays.
bool Unregister() {
    const registry::Keys entries = RegistrationEntries(std::string());
    return registry::Change([&](registry::Keys& keys) {
        for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
            const auto found = keys.find(entry->first);
            if (found == keys.end()) continue;
            for (const auto& [name, value] : entry->second) found->second.erase(name);
            if (found->second.empty() && !HasSubkey(keys, found->first)) keys.erase(found);
        }
    });
}

}  // namespace netpull::component
