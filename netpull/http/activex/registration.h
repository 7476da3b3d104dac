// The registry entries of the control library: the standard entries of an in-process ActiveX
// control under HKEY_CLASSES_ROOT, and the registration of its type library.
#pragma once

#include <windows.h>

#include <string>

namespace netpull::activex {

HRESULT Register(const std::wstring& libraryPath);
// Removes exactly what Register wrote, and the type library's registration.
HRESULT Unregister();

}  // namespace netpull::activex
