// The four exports of Netpull.ocx (named, with ordinals, in Netpull.def) and its load entry
// point, which registers the control's window class for the process.
#include <windows.h>

#include <olectl.h>

#include "class_factory.h"
#include "control_window.h"
#include "http_interface.h"
#include "module_state.h"
#include "registration.h"

using namespace netpull::activex;

extern "C" {

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        SetModule(module);
        DisableThreadLibraryCalls(module);
        return ControlWindow::RegisterClass(module) ? TRUE : FALSE;
    }
    if (reason == DLL_PROCESS_DETACH) ControlWindow::UnregisterClass(module);
    return TRUE;
}

HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return CanUnload() ? S_OK : S_FALSE;
}

HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID rclsid, REFIID riid, LPVOID* ppv) {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (rclsid != CLSID_HTTP) return CLASS_E_CLASSNOTAVAILABLE;
    return TheClassFactory().QueryInterface(riid, ppv);
}

HRESULT STDAPICALLTYPE DllRegisterServer() {
    const std::wstring path = ModulePath();
    return path.empty() ? SELFREG_E_CLASS : Register(path);
}

HRESULT STDAPICALLTYPE DllUnregisterServer() {
    return Unregister();
}

}  // extern "C"
