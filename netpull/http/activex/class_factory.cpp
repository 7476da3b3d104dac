// The class object of the HTTP control.
#include "class_factory.h"

#include "http_object.h"
#include "module_state.h"

namespace netpull::activex {

HRESULT STDMETHODCALLTYPE HttpClassFactory::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IClassFactory) {
        *object = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

// The class object is static: counting its references would change nothing.
ULONG STDMETHODCALLTYPE HttpClassFactory::AddRef() {
    return 2;
}
ULONG STDMETHODCALLTYPE HttpClassFactory::Release() {
    return 1;
}

HRESULT STDMETHODCALLTYPE HttpClassFactory::CreateInstance(IUnknown* outer, REFIID riid,
                                                           void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    HttpObject* created = HttpObject::Create();  // one reference, dropped below
    if (created == nullptr) return E_UNEXPECTED;
    const HRESULT hr = created->QueryInterface(riid, object);
    created->Release();
    return hr;
}

HRESULT STDMETHODCALLTYPE HttpClassFactory::LockServer(BOOL lock) {
    ServerLocked(lock != FALSE);
    return S_OK;
}

HttpClassFactory& TheClassFactory() {
    static HttpClassFactory factory;
    return factory;
}

}  // namespace netpull::activex
