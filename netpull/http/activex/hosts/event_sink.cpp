// A recording sink for the control's events.
#include "event_sink.h"

#include <ocidl.h>

extern "C" const IID DIID___HTTP;

namespace netpull::activex {

HRESULT STDMETHODCALLTYPE EventSink::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == DIID___HTTP) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE EventSink::GetTypeInfoCount(UINT* count) {
    *count = 0;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE EventSink::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    *info = nullptr;
    return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE EventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE EventSink::Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* params,
                                            VARIANT*, EXCEPINFO*, UINT*) {
    ReceivedEvent event;
    event.id = member;
    // Arguments arrive last first.
    for (UINT i = params->cArgs; i-- > 0;) {
        const VARIANT& v = params->rgvarg[i];
        event.types.push_back(v.vt);
        const bool first = i + 1 == params->cArgs;
        if (v.vt == (VT_I4 | VT_BYREF)) (first ? event.first : event.second) = *v.plVal;
        if (v.vt == (VT_BSTR | VT_BYREF) && *v.pbstrVal != nullptr) event.text = *v.pbstrVal;
    }
    events.push_back(event);
    return S_OK;
}

bool EventSink::Ended() const {
    for (const ReceivedEvent& event : events)
        if (event.id == 3 || event.id == 4) return true;
    return false;
}

DWORD AdviseSink(IUnknown* control, IDispatch* sink) {
    IConnectionPointContainer* container = nullptr;
    if (FAILED(control->QueryInterface(IID_IConnectionPointContainer,
                                       reinterpret_cast<void**>(&container))))
        return 0;
    IConnectionPoint* point = nullptr;
    DWORD cookie = 0;
    if (SUCCEEDED(container->FindConnectionPoint(DIID___HTTP, &point))) {
        if (FAILED(point->Advise(sink, &cookie))) cookie = 0;
        point->Release();
    }
    container->Release();
    return cookie;
}

}  // namespace netpull::activex
