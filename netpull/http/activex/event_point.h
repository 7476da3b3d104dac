// The connection point of the event interface __HTTP: the containers' sinks, called through
// IDispatch::Invoke with by-reference arguments. It lives and dies with its control object.
#pragma once

#include <ocidl.h>

#include <map>
#include <vector>

namespace netpull::activex {

class EventPoint final : public IConnectionPoint {
  public:
    // owner: the control object's IUnknown, which counts this point's references too.
    EventPoint(IUnknown& owner, IConnectionPointContainer& container)
        : owner_(owner), container_(container) {}
    ~EventPoint();
    EventPoint(const EventPoint&) = delete;
    EventPoint& operator=(const EventPoint&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override;
    HRESULT STDMETHODCALLTYPE
    GetConnectionPointContainer(IConnectionPointContainer** container) override;
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** enumerator) override;

    // Calls every sink with the event's dispatch id and arguments (given first first).
    void Fire(DISPID event, std::vector<VARIANT> arguments);

  private:
    IUnknown& owner_;
    IConnectionPointContainer& container_;
    std::map<DWORD, IDispatch*> sinks_;
    DWORD nextCookie_ = 1;
};

}  // namespace netpull::activex
