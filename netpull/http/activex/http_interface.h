// The identities of the control library, as widl makes them from the IDL, and the control's
// default interface _HTTP: IDispatch, then its six members in the type library's order.
#pragma once

#include <windows.h>

#include <oaidl.h>

extern "C" {
extern const IID LIBID_Netpull;
extern const IID IID__HTTP;
extern const IID DIID___HTTP;
extern const CLSID CLSID_HTTP;
}

namespace netpull::activex {

struct I_HTTP : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_URL(BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_SaveAs(BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_BytesPerSecond(LONG* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_TotalBytes(LONG* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DownloadedBytes(LONG* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE Download(BSTR* URL, BSTR* SaveAs) = 0;
};

}  // namespace netpull::activex
