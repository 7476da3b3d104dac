// The test container's site.
#include "test_site.h"

namespace netpull::activex {

HRESULT STDMETHODCALLTYPE TestSite::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IOleClientSite)
        *object = static_cast<IOleClientSite*>(this);
    else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite)
        *object = static_cast<IOleInPlaceSite*>(this);
    else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TestSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    *moniker = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TestSite::GetContainer(IOleContainer** container) {
    *container = nullptr;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE TestSite::GetWindow(HWND* window) {
    *window = window_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TestSite::OnInPlaceActivate() {
    active = true;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TestSite::OnInPlaceDeactivate() {
    active = false;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE TestSite::GetWindowContext(IOleInPlaceFrame** frame,
                                                     IOleInPlaceUIWindow** document,
                                                     LPRECT position, LPRECT clip,
                                                     LPOLEINPLACEFRAMEINFO info) {
    *frame = nullptr;
    *document = nullptr;
    GetClientRect(window_, position);
    *clip = *position;
    info->fMDIApp = FALSE;
    info->hwndFrame = window_;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
    return S_OK;
}

}  // namespace netpull::activex
