// The class object of the HTTP control: creates control objects and holds server locks.
#pragma once

#include "netpull/http/platform/interfaces.h"

namespace netpull::component {

class HttpClassFactory final : public com::IClassFactory {
  public:
    com::HRESULT QueryInterface(com::REFIID riid, void** object) override;
    com::ULONG AddRef() override;
    com::ULONG Release() override;
    com::HRESULT CreateInstance(com::IUnknown* outer, com::REFIID riid, void** object) override;
    com::HRESULT LockServer(com::BOOL lock) override;
};

// The one class object of the library; it lives as long as the library is loaded.
HttpClassFactory& TheClassFactory();

}  // namespace netpull::component
