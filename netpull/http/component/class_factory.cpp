// The class object of the HTTP control.
#include "class_factory.h"

#include <QApplication>

#include "http_object.h"
#include "server_lifetime.h"

namespace netpull::component {

using namespace com;

HRESULT HttpClassFactory::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IClassFactory) {
        *object = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

// The class object is static: counting its references would change nothing.
ULONG HttpClassFactory::AddRef() {
    return 2;
}
ULONG HttpClassFactory::Release() {
    return 1;
}

HRESULT HttpClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    // The control is a widget: without the host's application object there is nothing to
    // create it in, and the host gets a failure instead of an abort.
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return E_UNEXPECTED;
    auto* created = new HttpObject();  // starts with one reference, dropped below
    const HRESULT hr = created->QueryInterface(riid, object);
    created->Release();
    return hr;
}

HRESULT HttpClassFactory::LockServer(BOOL lock) {
    ServerLocked(lock != 0);
    return S_OK;
}

HttpClassFactory& TheClassFactory() {
    static HttpClassFactory factory;
    return factory;
}

}  // namespace netpull::component
