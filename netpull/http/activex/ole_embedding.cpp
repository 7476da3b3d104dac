// How containers place the HTTP control: client site, in-place activation and its window,
// extent, drawing into the container's device context, keyboard, and (empty) persistence.
#include <olectl.h>

#include "http_object.h"

namespace netpull::activex {
namespace {

// The control's status flags for the content aspect: recompose on resize, cannot link inside,
// inside-out, activate when visible, set client site first.
constexpr DWORD kMiscStatus = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE |
                              OLEMISC_INSIDEOUT | OLEMISC_ACTIVATEWHENVISIBLE |
                              OLEMISC_SETCLIENTSITEFIRST;
static_assert(kMiscStatus == 131473);

constexpr int kHiMetricPerInch = 2540;
constexpr int kTwipsPerInch = 1440;

template <typename Interface>
void ReleaseAndClear(Interface*& pointer) {
    if (pointer != nullptr) pointer->Release();
    pointer = nullptr;
}

bool IsAltC(const MSG& message) {
    const bool alt = (message.lParam & (1 << 29)) != 0;
    return (message.message == WM_SYSKEYDOWN && alt && message.wParam == 'C') ||
           (message.message == WM_SYSCHAR && (message.wParam == 'c' || message.wParam == 'C'));
}

}  // namespace

void HttpObject::Redraw() {
    window_.Invalidate();
    if (viewSink_ != nullptr && (viewAspects_ & DVASPECT_CONTENT) != 0)
        viewSink_->OnViewChange(DVASPECT_CONTENT, -1);
}

HRESULT STDMETHODCALLTYPE HttpObject::SetClientSite(IOleClientSite* site) {
    if (site != nullptr) site->AddRef();
    ReleaseAndClear(site_);
    site_ = site;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HttpObject::GetClientSite(IOleClientSite** site) {
    if (site == nullptr) return E_POINTER;
    *site = site_;
    if (site_ != nullptr) site_->AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HttpObject::SetHostNames(LPCOLESTR, LPCOLESTR) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HttpObject::Close(DWORD) {
    InPlaceDeactivate();
    if (adviseHolder_ != nullptr) adviseHolder_->SendOnClose();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HttpObject::SetMoniker(DWORD, IMoniker*) {
    return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE HttpObject::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
    if (moniker != nullptr) *moniker = nullptr;
    return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE HttpObject::InitFromData(IDataObject*, BOOL, DWORD) {
    return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE HttpObject::GetClipboardData(DWORD, IDataObject** data) {
    if (data != nullptr) *data = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE HttpObject::DoVerb(LONG verb, LPMSG, IOleClientSite*, LONG, HWND,
                                             LPCRECT place) {
    switch (verb) {
        case OLEIVERB_PRIMARY:
        case OLEIVERB_SHOW:
        case OLEIVERB_UIACTIVATE:
            return InPlaceActivate(true, place);
        case OLEIVERB_INPLACEACTIVATE:
            return InPlaceActivate(false, place);
        case OLEIVERB_HIDE:
            if (window_.Handle() != nullptr) ShowWindow(window_.Handle(), SW_HIDE);
            return S_OK;
        default:
            return verb < 0 ? E_NOTIMPL : OLEOBJ_S_INVALIDVERB;
    }
}

// Asks the site to let the control in, creates its window in the site's window, and for user
// interface activation tells the frame that the control takes the keyboard.
HRESULT HttpObject::InPlaceActivate(bool userInterface, LPCRECT place) {
    if (site_ == nullptr) return E_UNEXPECTED;
    if (inPlaceSite_ == nullptr) {
        IOleInPlaceSite* inPlace = nullptr;
        if (FAILED(site_->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&inPlace))))
            return E_NOINTERFACE;
        if (inPlace->CanInPlaceActivate() != S_OK) {
            inPlace->Release();
            return E_FAIL;
        }
        inPlaceSite_ = inPlace;
        inPlaceSite_->OnInPlaceActivate();
    }
    HWND parent = nullptr;
    if (FAILED(inPlaceSite_->GetWindow(&parent)) || parent == nullptr) return E_FAIL;
    RECT position{}, clip{};
    OLEINPLACEFRAMEINFO frameInfo{};
    frameInfo.cb = sizeof frameInfo;
    ReleaseAndClear(frame_);
    ReleaseAndClear(document_);
    inPlaceSite_->GetWindowContext(&frame_, &document_, &position, &clip, &frameInfo);
    if (place != nullptr) position = *place;
    if (!window_.Create(parent, position)) return E_FAIL;
    if (userInterface && !userInterfaceActive_) {
        userInterfaceActive_ = true;
        inPlaceSite_->OnUIActivate();
        if (frame_ != nullptr) frame_->SetActiveObject(this, L"Netpull");
        if (document_ != nullptr) document_->SetActiveObject(this, L"Netpull");
        SetFocus(window_.Handle());
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HttpObject::EnumVerbs(IEnumOLEVERB** verbs) {
    if (verbs == nullptr) return E_POINTER;
    return OleRegEnumVerbs(CLSID_HTTP, verbs);
}

HRESULT STDMETHODCALLTYPE HttpObject::Update() {
    return S_OK;
}
HRESULT STDMETHODCALLTYPE HttpObject::IsUpToDate() {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HttpObject::GetUserClassID(CLSID* clsid) {
    if (clsid == nullptr) return E_POINTER;
    *clsid = CLSID_HTTP;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HttpObject::GetUserType(DWORD form, LPOLESTR* type) {
    return OleRegGetUserType(CLSID_HTTP, form, type);
}

HRESULT STDMETHODCALLTYPE HttpObject::SetExtent(DWORD aspect, SIZEL* size) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (size == nullptr) return E_POINTER;
    // In place, the window's size rules the layout; SetObjectRects resizes it.
    if (window_.Handle() == nullptr)
        control_.Resize(MulDiv(size->cx, kTwipsPerInch, kHiMetricPerInch),
                        MulDiv(size->cy, kTwipsPerInch, kHiMetricPerInch));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HttpObject::GetExtent(DWORD aspect, SIZEL* size) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (size == nullptr) return E_POINTER;
    // The model's size, which the layout raises to its minimum.
    const http::DisplayModel& model = control_.Model();
    *size = {MulDiv(model.Width(), kHiMetricPerInch, kTwipsPerInch),
             MulDiv(model.Height(), kHiMetricPerInch, kTwipsPerInch)};
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HttpObject::Advise(IAdviseSink* sink, DWORD* connection) {
    if (adviseHolder_ == nullptr && FAILED(CreateOleAdviseHolder(&adviseHolder_)))
        return E_OUTOFMEMORY;
    return adviseHolder_->Advise(sink, connection);
}

HRESULT STDMETHODCALLTYPE HttpObject::Unadvise(DWORD connection) {
    return adviseHolder_ != nullptr ? adviseHolder_->Unadvise(connection) : OLE_E_NOCONNECTION;
}

HRESULT STDMETHODCALLTYPE HttpObject::EnumAdvise(IEnumSTATDATA** advises) {
    if (advises == nullptr) return E_POINTER;
    *advises = nullptr;
    return adviseHolder_ != nullptr ? adviseHolder_->EnumAdvise(advises) : S_OK;
}

HRESULT STDMETHODCALLTYPE HttpObject::GetMiscStatus(DWORD, DWORD* status) {
    if (status == nullptr) return E_POINTER;
    *status = kMiscStatus;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HttpObject::SetColorScheme(LOGPALETTE*) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE HttpObject::GetWindow(HWND* window) {
    if (window == nullptr) return E_POINTER;
    *window = window_.Handle();
    return *window != nullptr ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE HttpObject::ContextSensitiveHelp(BOOL) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE HttpObject::InPlaceDeactivate() {
    if (inPlaceSite_ == nullptr) return S_OK;
    UIDeactivate();
    window_.Destroy();
    ReleaseAndClear(frame_);
    ReleaseAndClear(document_);
    IOleInPlaceSite* site = inPlaceSite_;
    inPlaceSite_ = nullptr;
    site->OnInPlaceDeactivate();
    site->Release();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HttpObject::UIDeactivate() {
    if (!userInterfaceActive_) return S_OK;
    userInterfaceActive_ = false;
    if (frame_ != nullptr) frame_->SetActiveObject(nullptr, nullptr);
    if (document_ != nullptr) document_->SetActiveObject(nullptr, nullptr);
    if (inPlaceSite_ != nullptr) inPlaceSite_->OnUIDeactivate(FALSE);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HttpObject::SetObjectRects(LPCRECT place, LPCRECT) {
    if (place == nullptr) return E_POINTER;
    window_.Move(*place);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HttpObject::ReactivateAndUndo() {
    return INPLACE_E_NOTUNDOABLE;
}

HRESULT STDMETHODCALLTYPE HttpObject::TranslateAccelerator(LPMSG message) {
    if (message == nullptr || !IsAltC(*message)) return S_FALSE;
    control_.btnCancel_Click();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HttpObject::OnFrameWindowActivate(BOOL) {
    return S_OK;
}
HRESULT STDMETHODCALLTYPE HttpObject::OnDocWindowActivate(BOOL) {
    return S_OK;
}
HRESULT STDMETHODCALLTYPE HttpObject::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) {
    return S_OK;
}
HRESULT STDMETHODCALLTYPE HttpObject::EnableModeless(BOOL) {
    return S_OK;
}

// The container routes Alt+C, the Cancel caption's access key, to OnMnemonic.
HRESULT STDMETHODCALLTYPE HttpObject::GetControlInfo(CONTROLINFO* info) {
    if (info == nullptr) return E_POINTER;
    if (accelerators_ == nullptr) {
        ACCEL altC{FALT | FVIRTKEY, 'C', 1};
        accelerators_ = CreateAcceleratorTableW(&altC, 1);
    }
    info->cb = sizeof *info;
    info->hAccel = accelerators_;
    info->cAccel = accelerators_ != nullptr ? 1 : 0;
    info->dwFlags = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HttpObject::OnMnemonic(MSG*) {
    control_.btnCancel_Click();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HttpObject::OnAmbientPropertyChange(DISPID) {
    return S_OK;
}
HRESULT STDMETHODCALLTYPE HttpObject::FreezeEvents(BOOL) {
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HttpObject::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc,
                                           LPCRECTL bounds, LPCRECTL,
                                           BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
    if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (dc == nullptr || bounds == nullptr) return E_INVALIDARG;
    const RECT target{bounds->left, bounds->top, bounds->right, bounds->bottom};
    FillRect(dc, &target, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    window_.Draw(dc, target);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HttpObject::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC,
                                                  LOGPALETTE** colours) {
    if (colours != nullptr) *colours = nullptr;
    return S_FALSE;
}
HRESULT STDMETHODCALLTYPE HttpObject::Freeze(DWORD, LONG, void*, DWORD*) {
    return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE HttpObject::Unfreeze(DWORD) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE HttpObject::SetAdvise(DWORD aspects, DWORD, IAdviseSink* sink) {
    if (sink != nullptr) sink->AddRef();
    ReleaseAndClear(viewSink_);
    viewSink_ = sink;
    viewAspects_ = aspects;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HttpObject::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
    if (aspects != nullptr) *aspects = viewAspects_;
    if (flags != nullptr) *flags = 0;
    if (sink != nullptr) {
        *sink = viewSink_;
        if (viewSink_ != nullptr) viewSink_->AddRef();
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HttpObject::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
    return GetExtent(aspect, size);
}

HRESULT STDMETHODCALLTYPE HttpObject::GetClassID(CLSID* clsid) {
    return GetUserClassID(clsid);
}
HRESULT STDMETHODCALLTYPE HttpObject::IsDirty() {
    return S_FALSE;
}
HRESULT STDMETHODCALLTYPE HttpObject::Load(LPSTREAM) {
    return S_OK;
}
HRESULT STDMETHODCALLTYPE HttpObject::Save(LPSTREAM, BOOL) {
    return S_OK;
}
HRESULT STDMETHODCALLTYPE HttpObject::GetSizeMax(ULARGE_INTEGER* size) {
    if (size == nullptr) return E_POINTER;
    size->QuadPart = 0;
    return S_OK;
}
HRESULT STDMETHODCALLTYPE HttpObject::InitNew() {
    return S_OK;
}
HRESULT STDMETHODCALLTYPE HttpObject::Load(IPropertyBag*, IErrorLog*) {
    return S_OK;
}
HRESULT STDMETHODCALLTYPE HttpObject::Save(IPropertyBag*, BOOL, BOOL) {
    return S_OK;
}

}  // namespace netpull::activex
