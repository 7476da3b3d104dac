// The identities of the control library: its type library, the HTTP class, its two interfaces,
// and the interface through which a host gets the control's widget.
#pragma once

#include "netpull/http/platform/interfaces.h"

namespace netpull::component {

using com::GUID;

inline constexpr GUID LIBID_Netpull{
    0x43FE1C03, 0x96DB, 0x459C, {0x97, 0x79, 0xE8, 0x26, 0x4B, 0xF1, 0x82, 0xD5}};
inline constexpr GUID CLSID_HTTP{
    0xDAD1CBF0, 0x2D28, 0x4208, {0x8F, 0x4F, 0x62, 0x1B, 0xA3, 0x75, 0xEB, 0x15}};
inline constexpr GUID IID__HTTP{
    0x1D8BA6EF, 0x4C2E, 0x4B17, {0x8A, 0x5B, 0xE2, 0x6E, 0x39, 0x6D, 0x99, 0x61}};
inline constexpr GUID DIID___HTTP{
    0x814A05A3, 0x2A5C, 0x402E, {0xA9, 0x6B, 0x93, 0x92, 0x38, 0xAE, 0xE8, 0x01}};
inline constexpr GUID IID_IQtWidgetControl{
    0x6B1F6C52, 0x0C5E, 0x4E8B, {0x9A, 0x43, 0x2D, 0x8E, 0x6C, 0x1F, 0x7A, 0x10}};

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
