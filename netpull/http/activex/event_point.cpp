// The connection point of __HTTP.
#include "event_point.h"

#include <olectl.h>

#include <algorithm>

#include "enumerators.h"
#include "http_interface.h"

namespace netpull::activex {

EventPoint::~EventPoint() {
    for (const auto& [cookie, sink] : sinks_) sink->Release();
}

HRESULT STDMETHODCALLTYPE EventPoint::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IConnectionPoint) {
        *object = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE EventPoint::AddRef() {
    return owner_.AddRef();
}
ULONG STDMETHODCALLTYPE EventPoint::Release() {
    return owner_.Release();
}

HRESULT STDMETHODCALLTYPE EventPoint::GetConnectionInterface(IID* iid) {
    if (iid == nullptr) return E_POINTER;
    *iid = DIID___HTTP;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE
EventPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
    if (container == nullptr) return E_POINTER;
    *container = &container_;
    container_.AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE EventPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (sink == nullptr || cookie == nullptr) return E_POINTER;
    *cookie = 0;
    IDispatch* dispatch = nullptr;
    if (FAILED(sink->QueryInterface(DIID___HTTP, reinterpret_cast<void**>(&dispatch))) &&
        FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch))))
        return CONNECT_E_CANNOTCONNECT;
    *cookie = nextCookie_++;
    sinks_.emplace(*cookie, dispatch);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE EventPoint::Unadvise(DWORD cookie) {
    const auto found = sinks_.find(cookie);
    if (found == sinks_.end()) return CONNECT_E_NOCONNECTION;
    IDispatch* sink = found->second;
    sinks_.erase(found);
    sink->Release();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE EventPoint::EnumConnections(IEnumConnections** enumerator) {
    if (enumerator == nullptr) return E_POINTER;
    std::vector<CONNECTDATA> connections;
    for (const auto& [cookie, sink] : sinks_) connections.push_back({sink, cookie});
    *enumerator = EnumerateConnections(std::move(connections));
    return S_OK;
}

void EventPoint::Fire(DISPID event, std::vector<VARIANT> arguments) {
    // A sink may unadvise, or release the control, while it is called: call a counted copy.
    std::vector<IDispatch*> sinks;
    for (const auto& [cookie, sink] : sinks_) {
        sink->AddRef();
        sinks.push_back(sink);
    }
    std::reverse(arguments.begin(), arguments.end());
    DISPPARAMS params{arguments.data(), nullptr, static_cast<UINT>(arguments.size()), 0};
    for (IDispatch* sink : sinks) {
        sink->Invoke(event, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr,
                     nullptr, nullptr);
        sink->Release();
    }
}

}  // namespace netpull::activex
