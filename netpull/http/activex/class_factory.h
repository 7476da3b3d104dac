// The class object of the HTTP control, which containers ask for through DllGetClassObject.
#pragma once

#include <unknwn.h>

namespace netpull::activex {

class HttpClassFactory final : public IClassFactory {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;
};

HttpClassFactory& TheClassFactory();

}  // namespace netpull::activex
