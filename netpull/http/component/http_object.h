// The COM object of the HTTP control: its default interface _HTTP (IDispatch with six members),
// a connection point container with one connection point for the event interface __HTTP, and
// the widget interface for hosts that place it.
#pragma once

#include <QPointer>
#include <map>
#include <vector>

#include "guids.h"
#include "netpull/http/control/http_control.h"
#include "netpull/http/platform/interfaces.h"

namespace netpull::component {

class HttpObject;

// The connection point of __HTTP: the hosts' sinks, called through IDispatch::Invoke.
class EventConnectionPoint final : public com::IConnectionPoint {
  public:
    explicit EventConnectionPoint(HttpObject& owner) : owner_(owner) {}
    ~EventConnectionPoint();

    com::HRESULT QueryInterface(com::REFIID riid, void** object) override;
    com::ULONG AddRef() override;
    com::ULONG Release() override;
    com::HRESULT GetConnectionInterface(com::IID* iid) override;
    com::HRESULT GetConnectionPointContainer(com::IConnectionPointContainer** container) override;
    com::HRESULT Advise(com::IUnknown* sink, com::DWORD* cookie) override;
    com::HRESULT Unadvise(com::DWORD cookie) override;
    com::HRESULT EnumConnections(com::IEnumConnections** enumerator) override;

    // Calls every sink with the event's dispatch id and by-reference arguments, last first.
    void Fire(com::DISPID event, std::vector<com::VARIANT> arguments);

  private:
    HttpObject& owner_;
    std::map<com::DWORD, com::IDispatch*> sinks_;
    com::DWORD nextCookie_ = 1;
};

class HttpObject final : public I_HTTP,
                         public com::IConnectionPointContainer,
                         public IQtWidgetControl {
  public:
    HttpObject();
    ~HttpObject();

    com::HRESULT QueryInterface(com::REFIID riid, void** object) override;
    com::ULONG AddRef() override;
    com::ULONG Release() override;

    com::HRESULT GetTypeInfoCount(com::UINT* count) override;
    com::HRESULT GetTypeInfo(com::UINT index, com::LCID lcid, com::ITypeInfo** info) override;
    com::HRESULT GetIDsOfNames(com::REFIID riid, com::LPOLESTR* names, com::UINT count,
                               com::LCID lcid, com::DISPID* ids) override;
    com::HRESULT Invoke(com::DISPID member, com::REFIID riid, com::LCID lcid, com::WORD flags,
                        com::DISPPARAMS* params, com::VARIANT* result, com::EXCEPINFO* exception,
                        com::UINT* argumentError) override;

    com::HRESULT get_URL(com::BSTR* value) override;
    com::HRESULT get_SaveAs(com::BSTR* value) override;
    com::HRESULT get_BytesPerSecond(com::LONG* value) override;
    com::HRESULT get_TotalBytes(com::LONG* value) override;
    com::HRESULT get_DownloadedBytes(com::LONG* value) override;
    com::HRESULT Download(com::BSTR* URL, com::BSTR* SaveAs) override;

    com::HRESULT EnumConnectionPoints(com::IEnumConnectionPoints** enumerator) override;
    com::HRESULT FindConnectionPoint(com::REFIID riid, com::IConnectionPoint** point) override;

    com::HRESULT GetWidget(void** widget) override;

  private:
    com::HRESULT InvokeProperty(com::DISPID member, com::WORD flags, com::DISPPARAMS* params,
                                com::VARIANT* result, com::EXCEPINFO* exception);
    com::HRESULT InvokeDownload(com::WORD flags, com::DISPPARAMS* params,
                                com::EXCEPINFO* exception);
    void ConnectEvents();

    com::ULONG references_ = 1;
    QPointer<http::HTTP> control_;
    EventConnectionPoint events_{*this};
    std::string lastError_;  // the description of the last failed call, for its EXCEPINFO
    int lastErrorNumber_ = 0;
    std::string lastErrorSource_;
};

}  // namespace netpull::component
