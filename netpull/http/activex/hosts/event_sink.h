// A container's sink for the control's events (__HTTP): records each call with its dispatch id,
// the types of its arguments and their values, for the hosts that test the control.
#pragma once

#include <oaidl.h>

#include <string>
#include <vector>

namespace netpull::activex {

struct ReceivedEvent {
    DISPID id = 0;
    std::vector<VARTYPE> types;  // first argument first
    LONG first = 0;              // Bytes or Number
    LONG second = 0;             // ofBytes
    std::wstring text;           // Description
};

class EventSink final : public IDispatch {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override { return --references_; }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID member, REFIID riid, LCID lcid, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                     UINT* argumentError) override;

    bool Ended() const;  // Downloaded (3) or Error (4) arrived
    std::vector<ReceivedEvent> events;
    ULONG references_ = 1;  // on the stack of its host: counted, never deleted
};

// Connects a sink to the control's connection point for __HTTP; the cookie, or 0.
DWORD AdviseSink(IUnknown* control, IDispatch* sink);

}  // namespace netpull::activex
