// The COM object of the HTTP control: dispatch by name and id, events to the hosts' sinks.
#include "http_object.h"

#include <QCoreApplication>
#include <algorithm>
#include <array>
#include <cctype>

#include "server_lifetime.h"
#include "text.h"

namespace netpull::component {
namespace {

using namespace com;

constexpr HRESULT DISP_E_UNKNOWNINTERFACE = static_cast<HRESULT>(0x80020001);
// Errors a Visual Basic host knows, as automation error codes.
constexpr SCODE VbError(int number) {
    return static_cast<SCODE>(0x800A0000u | static_cast<unsigned>(number));
}

struct Member {
    const char* name;
    DISPID id;
};
constexpr std::array<Member, 6> kMembers = {{{"URL", DISPID_URL},
                                             {"SaveAs", DISPID_SaveAs},
                                             {"BytesPerSecond", DISPID_BytesPerSecond},
                                             {"TotalBytes", DISPID_TotalBytes},
                                             {"DownloadedBytes", DISPID_DownloadedBytes},
                                             {"Download", DISPID_Download}}};

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

VARIANT ByReference(LONG* value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4 | VT_BYREF;
    v.plVal = value;
    return v;
}

VARIANT ByReference(BSTR* value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR | VT_BYREF;
    v.pbstrVal = value;
    return v;
}

// The text argument at rgvarg[index]: a string by reference or by value, or a variant by
// reference holding one, as script hosts pass their variables.
BSTR* TextArgument(DISPPARAMS& params, UINT index) {
    VARIANT* v = &params.rgvarg[index];
    if (v->vt == (VT_VARIANT | VT_BYREF) && v->pvarVal != nullptr) v = v->pvarVal;
    if (v->vt == (VT_BSTR | VT_BYREF)) return v->pbstrVal;
    if (v->vt == VT_BSTR) return &v->bstrVal;
    return nullptr;
}

}  // namespace

EventConnectionPoint::~EventConnectionPoint() {
    for (const auto& [cookie, sink] : sinks_) sink->Release();
}

HRESULT EventConnectionPoint::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IConnectionPoint) {
        *object = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

// The connection point lives and dies with its control object.
ULONG EventConnectionPoint::AddRef() {
    return static_cast<I_HTTP&>(owner_).AddRef();
}
ULONG EventConnectionPoint::Release() {
    return static_cast<I_HTTP&>(owner_).Release();
}

HRESULT EventConnectionPoint::GetConnectionInterface(IID* iid) {
    if (iid == nullptr) return E_POINTER;
    *iid = DIID___HTTP;
    return S_OK;
}

HRESULT EventConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
    if (container == nullptr) return E_POINTER;
    return owner_.QueryInterface(IID_IConnectionPointContainer,
                                 reinterpret_cast<void**>(container));
}

HRESULT EventConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
    if (sink == nullptr || cookie == nullptr) return E_POINTER;
    IDispatch* dispatch = nullptr;
    if (FAILED(sink->QueryInterface(DIID___HTTP, reinterpret_cast<void**>(&dispatch))) &&
        FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch))))
        return CONNECT_E_CANNOTCONNECT;
    *cookie = nextCookie_++;
    sinks_.emplace(*cookie, dispatch);
    return S_OK;
}

HRESULT EventConnectionPoint::Unadvise(DWORD cookie) {
    const auto found = sinks_.find(cookie);
    if (found == sinks_.end()) return CONNECT_E_NOCONNECTION;
    IDispatch* sink = found->second;
    sinks_.erase(found);
    sink->Release();
    return S_OK;
}

HRESULT EventConnectionPoint::EnumConnections(IEnumConnections** enumerator) {
    if (enumerator != nullptr) *enumerator = nullptr;
    return E_NOTIMPL;
}

void EventConnectionPoint::Fire(DISPID event, std::vector<VARIANT> arguments) {
    // A sink may unadvise, or release the control, while it is called: call a counted copy.
    std::vector<IDispatch*> sinks;
    for (const auto& [cookie, sink] : sinks_) {
        sink->AddRef();
        sinks.push_back(sink);
    }
    std::reverse(arguments.begin(), arguments.end());
    DISPPARAMS params{arguments.data(), nullptr, static_cast<UINT>(arguments.size()), 0};
    for (IDispatch* sink : sinks) {
        sink->Invoke(event, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
        sink->Release();
    }
}

HttpObject::HttpObject() : control_(new http::HTTP()) {
    ObjectCreated();
    ConnectEvents();
}

HttpObject::~HttpObject() {
    // The host may have put the widget in a window of its own; it goes once control is back
    // in the event loop, out of any of its own handlers.
    if (control_) {
        control_->hostEvents = {};
        control_->deleteLater();
    }
    ObjectDestroyed();
}

void HttpObject::ConnectEvents() {
    // Each event keeps the object alive while its sinks run: a sink may release the last
    // reference from inside.
    control_->hostEvents.FoundServer = [this] {
        AddRef();
        events_.Fire(DISPID_FoundServer, {});
        Release();
    };
    control_->hostEvents.Progress = [this](std::int32_t& bytes, std::int32_t& ofBytes) {
        AddRef();
        events_.Fire(DISPID_Progress, {ByReference(&bytes), ByReference(&ofBytes)});
        Release();
    };
    control_->hostEvents.Downloaded = [this] {
        AddRef();
        events_.Fire(DISPID_Downloaded, {});
        Release();
    };
    control_->hostEvents.Error = [this](std::int32_t& number, std::string& description) {
        BSTR text = ToBstr(description);
        AddRef();
        events_.Fire(DISPID_Error, {ByReference(&number), ByReference(&text)});
        description = ToUtf8(text);
        SysFreeString(text);
        Release();
    };
}

HRESULT HttpObject::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID__HTTP) {
        *object = static_cast<I_HTTP*>(this);
    } else if (riid == IID_IConnectionPointContainer) {
        *object = static_cast<IConnectionPointContainer*>(this);
    } else if (riid == IID_IQtWidgetControl) {
        *object = static_cast<IQtWidgetControl*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG HttpObject::AddRef() {
    return ++references_;
}

ULONG HttpObject::Release() {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

HRESULT HttpObject::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) return E_POINTER;
    *count = 0;  // the type library is read from the library's resources instead
    return S_OK;
}

HRESULT HttpObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info != nullptr) *info = nullptr;
    return E_NOTIMPL;
}

HRESULT HttpObject::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!(riid == IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (names == nullptr || ids == nullptr || count == 0) return E_INVALIDARG;
    std::fill(ids, ids + count, -1);
    const std::u16string wide(names[0]);
    const std::string name = QString::fromStdU16String(wide).toStdString();
    const auto found = std::find_if(kMembers.begin(), kMembers.end(), [&](const Member& m) {
        return SameNameIgnoringCase(m.name, name);
    });
    if (found == kMembers.end()) return DISP_E_UNKNOWNNAME;
    ids[0] = found->id;
    return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
}

HRESULT HttpObject::Invoke(DISPID member, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                           VARIANT* result, EXCEPINFO* exception, UINT* argumentError) {
    if (!(riid == IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (params == nullptr) return E_INVALIDARG;
    if (params->cNamedArgs != 0) return DISP_E_NONAMEDARGS;
    if (argumentError != nullptr) *argumentError = 0;
    AddRef();
    const HRESULT hr = member == DISPID_Download
                           ? InvokeDownload(flags, params, exception)
                           : InvokeProperty(member, flags, params, result, exception);
    Release();
    return hr;
}

namespace {

HRESULT Exception(EXCEPINFO* exception, int number, const std::string& source,
                  const std::string& description) {
    if (exception != nullptr) {
        *exception = EXCEPINFO{};
        exception->bstrSource = ToBstr(source);
        exception->bstrDescription = ToBstr(description);
        exception->scode =
            number >= 0 && number < 0x10000 ? VbError(number) : static_cast<SCODE>(number);
    }
    return DISP_E_EXCEPTION;
}

}  // namespace

HRESULT HttpObject::InvokeProperty(DISPID member, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* exception) {
    const bool known = std::any_of(kMembers.begin(), kMembers.end(),
                                   [&](const Member& m) { return m.id == member; });
    // The properties have no put.
    if (!known || (flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) == 0)
        return DISP_E_MEMBERNOTFOUND;
    if (params->cArgs != 0) return DISP_E_BADPARAMCOUNT;
    VARIANT value;
    VariantInit(&value);
    HRESULT hr = S_OK;
    if (member == DISPID_URL || member == DISPID_SaveAs) {
        value.vt = VT_BSTR;
        hr = member == DISPID_URL ? get_URL(&value.bstrVal) : get_SaveAs(&value.bstrVal);
    } else {
        value.vt = VT_I4;
        hr = member == DISPID_BytesPerSecond ? get_BytesPerSecond(&value.lVal)
             : member == DISPID_TotalBytes   ? get_TotalBytes(&value.lVal)
                                             : get_DownloadedBytes(&value.lVal);
    }
    if (FAILED(hr)) return Exception(exception, lastErrorNumber_, lastErrorSource_, lastError_);
    if (result != nullptr)
        *result = value;
    else
        VariantClear(&value);
    return S_OK;
}

HRESULT HttpObject::InvokeDownload(WORD flags, DISPPARAMS* params, EXCEPINFO* exception) {
    if ((flags & DISPATCH_METHOD) == 0) return DISP_E_MEMBERNOTFOUND;
    if (params->cArgs != 2) return DISP_E_BADPARAMCOUNT;
    // Arguments come last first: rgvarg[1] is URL, rgvarg[0] SaveAs.
    BSTR* url = TextArgument(*params, 1);
    BSTR* saveAs = TextArgument(*params, 0);
    if (url == nullptr || saveAs == nullptr) return DISP_E_TYPEMISMATCH;
    const HRESULT hr = Download(url, saveAs);
    if (FAILED(hr)) return Exception(exception, lastErrorNumber_, lastErrorSource_, lastError_);
    return S_OK;
}

namespace {

template <typename Read>
HRESULT Property(QPointer<http::HTTP>& control, Read read, std::string& error, int& number,
                 std::string& source) {
    if (!control) return E_FAIL;
    try {
        read(*control);
        return S_OK;
    } catch (const SocketError& failure) {
        error = failure.Description();
        number = failure.Number();
        source = failure.Source();
        return E_FAIL;
    }
}

}  // namespace

HRESULT HttpObject::get_URL(BSTR* value) {
    if (value == nullptr) return E_POINTER;
    return Property(
        control_, [&](http::HTTP& c) { *value = ToBstr(c.URL()); }, lastError_, lastErrorNumber_,
        lastErrorSource_);
}

HRESULT HttpObject::get_SaveAs(BSTR* value) {
    if (value == nullptr) return E_POINTER;
    return Property(
        control_, [&](http::HTTP& c) { *value = ToBstr(c.SaveAs()); }, lastError_, lastErrorNumber_,
        lastErrorSource_);
}

HRESULT HttpObject::get_BytesPerSecond(LONG* value) {
    if (value == nullptr) return E_POINTER;
    return Property(
        control_, [&](http::HTTP& c) { *value = c.BytesPerSecond(); }, lastError_, lastErrorNumber_,
        lastErrorSource_);
}

HRESULT HttpObject::get_TotalBytes(LONG* value) {
    if (value == nullptr) return E_POINTER;
    return Property(
        control_, [&](http::HTTP& c) { *value = c.TotalBytes(); }, lastError_, lastErrorNumber_,
        lastErrorSource_);
}

HRESULT HttpObject::get_DownloadedBytes(LONG* value) {
    if (value == nullptr) return E_POINTER;
    return Property(
        control_, [&](http::HTTP& c) { *value = c.DownloadedBytes(); }, lastError_,
        lastErrorNumber_, lastErrorSource_);
}

// Rewrites the caller's URL in place, as the control does.
HRESULT HttpObject::Download(BSTR* URL, BSTR* SaveAs) {
    if (URL == nullptr || SaveAs == nullptr) return E_POINTER;
    std::string url = ToUtf8(*URL);
    std::string saveAs = ToUtf8(*SaveAs);
    const HRESULT hr = Property(
        control_, [&](http::HTTP& c) { c.Download(url, saveAs); }, lastError_, lastErrorNumber_,
        lastErrorSource_);
    SysFreeString(*URL);
    *URL = ToBstr(url);
    return hr;
}

HRESULT HttpObject::EnumConnectionPoints(IEnumConnectionPoints** enumerator) {
    if (enumerator != nullptr) *enumerator = nullptr;
    return E_NOTIMPL;
}

HRESULT HttpObject::FindConnectionPoint(REFIID riid, IConnectionPoint** point) {
    if (point == nullptr) return E_POINTER;
    if (!(riid == DIID___HTTP)) {
        *point = nullptr;
        return CONNECT_E_NOCONNECTION;
    }
    *point = &events_;
    events_.AddRef();
    return S_OK;
}

HRESULT HttpObject::GetWidget(void** widget) {
    if (widget == nullptr) return E_POINTER;
    *widget = control_.data();
    return control_ ? S_OK : E_FAIL;
}

}  // namespace netpull::component
