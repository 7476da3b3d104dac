// The HTTP control's COM object: identity, dispatch through the type library, the members of
// _HTTP, the events to the sinks, class and error information.
#include "http_object.h"

#include <olectl.h>

#include <array>

#include "enumerators.h"
#include "module_state.h"
#include "wide_text.h"

namespace netpull::activex {
namespace {

// Errors a Visual Basic host knows, as automation error codes.
HRESULT VbError(int number) {
    return number >= 0 && number < 0x10000 ? MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number)
                                           : static_cast<HRESULT>(number);
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

DISPID IdOf(ITypeInfo* info, const wchar_t* name) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    info->GetIDsOfNames(names, 1, &id);
    return id;
}

// The text a script host passes as a variant by reference to a string.
BSTR* TextInVariant(VARIANT& argument) {
    VARIANT* v = &argument;
    if (v->vt == (VT_VARIANT | VT_BYREF) && v->pvarVal != nullptr) v = v->pvarVal;
    if (v->vt == (VT_BSTR | VT_BYREF)) return v->pbstrVal;
    if (v->vt == VT_BSTR) return &v->bstrVal;
    return nullptr;
}

}  // namespace

HttpObject* HttpObject::Create() {
    ITypeLib* library = nullptr;
    if (FAILED(LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, &library))) return nullptr;
    ITypeInfo* info = nullptr;
    if (FAILED(library->GetTypeInfoOfGuid(IID__HTTP, &info))) {
        library->Release();
        return nullptr;
    }
    return new HttpObject(library, info);
}

HttpObject::HttpObject(ITypeLib* library, ITypeInfo* info)
    : library_(library), info_(info), events_(*static_cast<I_HTTP*>(this), *this) {
    ObjectCreated();
    downloadId_ = IdOf(info_, L"Download");
    ITypeInfo* source = nullptr;
    if (SUCCEEDED(library_->GetTypeInfoOfGuid(DIID___HTTP, &source))) {
        const std::array<const wchar_t*, 4> names = {L"FoundServer", L"Progress", L"Downloaded",
                                                     L"Error"};
        for (std::size_t i = 0; i < names.size(); ++i) eventIds_[i] = IdOf(source, names[i]);
        source->Release();
    }
    wchar_t point[8] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, point, 8) > 0 && point[0] < 0x80)
        control_.decimalPoint = static_cast<char>(point[0]);
    control_.changed = [this] { Redraw(); };
    PassEventsToSinks();
}

HttpObject::~HttpObject() {
    control_.hostEvents = {};
    control_.changed = {};
    window_.Destroy();
    if (site_ != nullptr) site_->Release();
    if (inPlaceSite_ != nullptr) inPlaceSite_->Release();
    if (frame_ != nullptr) frame_->Release();
    if (document_ != nullptr) document_->Release();
    if (adviseHolder_ != nullptr) adviseHolder_->Release();
    if (viewSink_ != nullptr) viewSink_->Release();
    if (accelerators_ != nullptr) DestroyAcceleratorTable(accelerators_);
    info_->Release();
    library_->Release();
    ObjectDestroyed();
}

// Each event keeps the object alive while its sinks run: a sink may release the last reference
// from inside.
void HttpObject::PassEventsToSinks() {
    control_.hostEvents.FoundServer = [this] {
        AddRef();
        events_.Fire(eventIds_[0], {});
        Release();
    };
    control_.hostEvents.Progress = [this](std::int32_t& bytes, std::int32_t& ofBytes) {
        AddRef();
        LONG sinkBytes = bytes, sinkOfBytes = ofBytes;
        events_.Fire(eventIds_[1], {ByReference(&sinkBytes), ByReference(&sinkOfBytes)});
        bytes = sinkBytes;
        ofBytes = sinkOfBytes;
        Release();
    };
    control_.hostEvents.Downloaded = [this] {
        AddRef();
        events_.Fire(eventIds_[2], {});
        Release();
    };
    control_.hostEvents.Error = [this](std::int32_t& number, std::string& description) {
        AddRef();
        LONG sinkNumber = number;
        BSTR text = ToBstr(description);
        events_.Fire(eventIds_[3], {ByReference(&sinkNumber), ByReference(&text)});
        number = sinkNumber;
        description = Utf8(text);
        SysFreeString(text);
        Release();
    };
}

HRESULT STDMETHODCALLTYPE HttpObject::QueryInterface(REFIID riid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID__HTTP)
        *object = static_cast<I_HTTP*>(this);
    else if (riid == IID_IConnectionPointContainer)
        *object = static_cast<IConnectionPointContainer*>(this);
    else if (riid == IID_IProvideClassInfo || riid == IID_IProvideClassInfo2)
        *object = static_cast<IProvideClassInfo2*>(this);
    else if (riid == IID_ISupportErrorInfo)
        *object = static_cast<ISupportErrorInfo*>(this);
    else if (riid == IID_IOleObject)
        *object = static_cast<IOleObject*>(this);
    else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceObject)
        *object = static_cast<IOleInPlaceObject*>(this);
    else if (riid == IID_IOleInPlaceActiveObject)
        *object = static_cast<IOleInPlaceActiveObject*>(this);
    else if (riid == IID_IOleControl)
        *object = static_cast<IOleControl*>(this);
    else if (riid == IID_IViewObject || riid == IID_IViewObject2)
        *object = static_cast<IViewObject2*>(this);
    else if (riid == IID_IPersist || riid == IID_IPersistStreamInit)
        *object = static_cast<IPersistStreamInit*>(this);
    else if (riid == IID_IPersistPropertyBag)
        *object = static_cast<IPersistPropertyBag*>(this);
    else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE HttpObject::AddRef() {
    return ++references_;
}

ULONG STDMETHODCALLTYPE HttpObject::Release() {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

HRESULT STDMETHODCALLTYPE HttpObject::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) return E_POINTER;
    *count = 1;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HttpObject::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
    if (info == nullptr) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    info_->AddRef();
    *info = info_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HttpObject::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                                    DISPID* ids) {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    return DispGetIDsOfNames(info_, names, count, ids);
}

HRESULT STDMETHODCALLTYPE HttpObject::Invoke(DISPID member, REFIID riid, LCID, WORD flags,
                                             DISPPARAMS* params, VARIANT* result,
                                             EXCEPINFO* exception, UINT* argumentError) {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (params == nullptr) return E_INVALIDARG;
    AddRef();
    // Script hosts pass their variables as variants by reference, which the type library's
    // dispatch refuses for the text arguments of Download: those are taken here.
    const bool variants = member == downloadId_ && params->cArgs == 2 &&
                          (params->rgvarg[0].vt == (VT_VARIANT | VT_BYREF) ||
                           params->rgvarg[1].vt == (VT_VARIANT | VT_BYREF));
    const HRESULT hr = variants ? InvokeDownloadWithVariants(params, exception)
                                : DispInvoke(static_cast<I_HTTP*>(this), info_, member, flags,
                                             params, result, exception, argumentError);
    Release();
    return hr;
}

HRESULT HttpObject::InvokeDownloadWithVariants(DISPPARAMS* params, EXCEPINFO* exception) {
    if (params->cNamedArgs != 0) return DISP_E_NONAMEDARGS;
    // Arguments come last first: rgvarg[1] is URL, rgvarg[0] SaveAs.
    BSTR* url = TextInVariant(params->rgvarg[1]);
    BSTR* saveAs = TextInVariant(params->rgvarg[0]);
    if (url == nullptr || saveAs == nullptr) return DISP_E_TYPEMISMATCH;
    const HRESULT hr = Download(url, saveAs);
    if (SUCCEEDED(hr)) return hr;
    if (exception != nullptr) {
        *exception = EXCEPINFO{};
        exception->scode = hr;
        IErrorInfo* error = nullptr;
        if (GetErrorInfo(0, &error) == S_OK) {
            error->GetSource(&exception->bstrSource);
            error->GetDescription(&exception->bstrDescription);
            error->Release();
        }
    }
    return DISP_E_EXCEPTION;
}

// Records the failure for the caller's error information and returns its automation code.
HRESULT HttpObject::Failure(const std::string& source, int number, const std::string& description) {
    ICreateErrorInfo* create = nullptr;
    if (SUCCEEDED(CreateErrorInfo(&create))) {
        const std::wstring wideSource = Wide(source), wideDescription = Wide(description);
        create->SetGUID(IID__HTTP);
        create->SetSource(const_cast<LPOLESTR>(wideSource.c_str()));
        create->SetDescription(const_cast<LPOLESTR>(wideDescription.c_str()));
        IErrorInfo* error = nullptr;
        if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&error)))) {
            SetErrorInfo(0, error);
            error->Release();
        }
        create->Release();
    }
    return VbError(number);
}

template <typename Read>
HRESULT HttpObject::Property(Read read) {
    try {
        read();
        return S_OK;
    } catch (const SocketError& failure) {
        return Failure(failure.Source(), failure.Number(), failure.Description());
    }
}

HRESULT STDMETHODCALLTYPE HttpObject::get_URL(BSTR* value) {
    if (value == nullptr) return E_POINTER;
    return Property([&] { *value = ToBstr(control_.URL()); });
}

HRESULT STDMETHODCALLTYPE HttpObject::get_SaveAs(BSTR* value) {
    if (value == nullptr) return E_POINTER;
    return Property([&] { *value = ToBstr(control_.SaveAs()); });
}

HRESULT STDMETHODCALLTYPE HttpObject::get_BytesPerSecond(LONG* value) {
    if (value == nullptr) return E_POINTER;
    return Property([&] { *value = control_.BytesPerSecond(); });
}

HRESULT STDMETHODCALLTYPE HttpObject::get_TotalBytes(LONG* value) {
    if (value == nullptr) return E_POINTER;
    return Property([&] { *value = control_.TotalBytes(); });
}

HRESULT STDMETHODCALLTYPE HttpObject::get_DownloadedBytes(LONG* value) {
    if (value == nullptr) return E_POINTER;
    return Property([&] { *value = control_.DownloadedBytes(); });
}

// Rewrites the caller's URL in place, as the control does.
HRESULT STDMETHODCALLTYPE HttpObject::Download(BSTR* URL, BSTR* SaveAs) {
    if (URL == nullptr || SaveAs == nullptr) return E_POINTER;
    std::string url = Utf8(*URL);
    std::string saveAs = Utf8(*SaveAs);
    AddRef();
    const HRESULT hr = Property([&] { control_.Download(url, saveAs); });
    SysFreeString(*URL);
    *URL = ToBstr(url);
    Release();
    return hr;
}

HRESULT STDMETHODCALLTYPE HttpObject::EnumConnectionPoints(IEnumConnectionPoints** enumerator) {
    if (enumerator == nullptr) return E_POINTER;
    *enumerator = EnumerateConnectionPoints({&events_});
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HttpObject::FindConnectionPoint(REFIID riid, IConnectionPoint** point) {
    if (point == nullptr) return E_POINTER;
    *point = nullptr;
    if (riid != DIID___HTTP) return CONNECT_E_NOCONNECTION;
    *point = &events_;
    events_.AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HttpObject::GetClassInfo(ITypeInfo** info) {
    if (info == nullptr) return E_POINTER;
    return library_->GetTypeInfoOfGuid(CLSID_HTTP, info);
}

HRESULT STDMETHODCALLTYPE HttpObject::GetGUID(DWORD kind, GUID* guid) {
    if (guid == nullptr) return E_POINTER;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
        *guid = GUID_NULL;
        return E_INVALIDARG;
    }
    *guid = DIID___HTTP;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HttpObject::InterfaceSupportsErrorInfo(REFIID riid) {
    return riid == IID__HTTP || riid == IID_IDispatch ? S_OK : S_FALSE;
}

}  // namespace netpull::activex
