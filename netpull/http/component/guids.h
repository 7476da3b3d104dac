// The identities of the control library: its type library, the HTTP class, its two interfaces,
// and the interface through which a host gets the control's widget.
#pragma once

#include "netpull/http/platform/interfaces.h"

namespace netpull::component {

using com::GUID;

// The GUIDs, as the IDL gives them.
#define MIDL_DEFINE_GUID(type, name, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8) \
    inline constexpr GUID name{l, w1, w2, {b1, b2, b3, b4, b5, b6, b7, b8}};
#include "netpull_guids.inc"
#undef MIDL_DEFINE_GUID

inline constexpr com::DISPID DISPID_URL = 0x68030004;
inline constexpr com::DISPID DISPID_SaveAs = 0x68030003;
inline constexpr com::DISPID DISPID_BytesPerSecond = 0x68030002;
inline constexpr com::DISPID DISPID_TotalBytes = 0x68030001;
inline constexpr com::DISPID DISPID_DownloadedBytes = 0x68030000;
inline constexpr com::DISPID DISPID_Download = 0x60030005;
inline constexpr com::DISPID DISPID_FoundServer = 1;
inline constexpr com::DISPID DISPID_Progress = 2;
inline constexpr com::DISPID DISPID_Downloaded = 3;
inline constexpr com::DISPID DISPID_Error = 4;

// The control's default interface: IDispatch, then its six members.
struct I_HTTP : com::IDispatch {
    virtual com::HRESULT get_URL(com::BSTR* value) = 0;
    virtual com::HRESULT get_SaveAs(com::BSTR* value) = 0;
    virtual com::HRESULT get_BytesPerSecond(com::LONG* value) = 0;
    virtual com::HRESULT get_TotalBytes(com::LONG* value) = 0;
    virtual com::HRESULT get_DownloadedBytes(com::LONG* value) = 0;
    virtual com::HRESULT Download(com::BSTR* URL, com::BSTR* SaveAs) = 0;
};

// The least a host needs to place the control: its widget, a QWidget*, to put in a window of
// its own. The control object keeps the widget alive until it is released.
struct IQtWidgetControl : com::IUnknown {
    virtual com::HRESULT GetWidget(void** widget) = 0;
};

}  // namespace netpull::component
