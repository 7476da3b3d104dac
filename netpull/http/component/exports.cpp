// The four exports of Netpull.ocx, with C linkage; a linker version script hides every other
// symbol of the library.
#include <dlfcn.h>

#include <climits>
#include <cstdlib>
#include <string>

#include "class_factory.h"
#include "guids.h"
#include "registration.h"
#include "server_lifetime.h"

using namespace netpull;
using namespace netpull::com;

namespace {

// The path of this library file, as registration records it.
std::string LibraryPath() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&LibraryPath), &info) == 0 || info.dli_fname == nullptr)
        return {};
    char resolved[PATH_MAX];
    return realpath(info.dli_fname, resolved) != nullptr ? resolved : info.dli_fname;
}

}  // namespace

extern "C" {

HRESULT DllCanUnloadNow() {
    return component::CanUnload() ? S_OK : S_FALSE;
}

HRESULT DllGetClassObject(const CLSID* rclsid, const IID* riid, void** ppv) {
    if (rclsid == nullptr || riid == nullptr || ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (!(*rclsid == component::CLSID_HTTP)) return CLASS_E_CLASSNOTAVAILABLE;
    return component::TheClassFactory().QueryInterface(*riid, ppv);
}

HRESULT DllRegisterServer() {
    const std::string path = LibraryPath();
    if (path.empty()) return SELFREG_E_CLASS;
    return component::Register(path) ? S_OK : SELFREG_E_CLASS;
}

HRESULT DllUnregisterServer() {
    return component::Unregister() ? S_OK : SELFREG_E_CLASS;
}

}  // extern "C"
