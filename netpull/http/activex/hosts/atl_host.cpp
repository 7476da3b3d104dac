// A host in Wine's ATL container: an "AtlAxWin" window with the ProgID as its text places the
// control; the host gets the control from it, advises its own sink (the container ignores the
// sinks given to it), downloads URL to SAVE_AS, prints the events, and saves a picture of its
// window to SCREENSHOT (a bitmap file). Exit status 0 when the download ended with Downloaded.
// Usage: netpull_atl_host URL SAVE_AS SCREENSHOT
#include <windows.h>

#include <ocidl.h>
#include <shellapi.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "event_sink.h"

using netpull::activex::EventSink;

namespace {

using AtlAxWinInit = BOOL(WINAPI*)();
using AtlAxGetControl = HRESULT(WINAPI*)(HWND, IUnknown**);

constexpr int kWidth = 341, kHeight = 117;  // the control's design size and a margin

void PumpFor(DWORD milliseconds, const EventSink* sink) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds && (sink == nullptr || !sink->Ended())) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// The window's client area as it is on the screen, in a 24-bit bitmap file.
bool SavePicture(HWND window, const std::wstring& path) {
    RECT client{};
    GetClientRect(window, &client);
    const int width = client.right, height = client.bottom;
    BITMAPINFO format{};
    format.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const HDC screen = GetDC(window);
    const HDC memory = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateDIBSection(memory, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    GdiFlush();
    const DWORD rowSize = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    const DWORD imageSize = rowSize * static_cast<DWORD>(height);
    BITMAPFILEHEADER file{
        0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + imageSize),
        0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
    std::ofstream out(path.c_str(), std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&format.bmiHeader), sizeof format.bmiHeader);
    out.write(static_cast<const char*>(bits), imageSize);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, screen);
    return out.good();
}

HRESULT Download(IDispatch* control, const std::wstring& url, const std::wstring& saveAs) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"Download")};
    DISPID id = 0;
    HRESULT hr = control->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    BSTR urlText = SysAllocString(url.c_str()), saveText = SysAllocString(saveAs.c_str());
    VARIANT arguments[2];
    VariantInit(&arguments[0]);
    VariantInit(&arguments[1]);
    arguments[0].vt = arguments[1].vt = VT_BSTR | VT_BYREF;
    arguments[0].pbstrVal = &saveText;
    arguments[1].pbstrVal = &urlText;
    DISPPARAMS params{arguments, nullptr, 2, 0};
    hr = control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr,
                         nullptr, nullptr);
    SysFreeString(urlText);
    SysFreeString(saveText);
    return hr;
}

}  // namespace

int main() {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr || count != 4) {
        std::fprintf(stderr, "usage: netpull_atl_host URL SAVE_AS SCREENSHOT\n");
        return 2;
    }
    OleInitialize(nullptr);
    const HMODULE atl = LoadLibraryW(L"atl.dll");
    const auto init = reinterpret_cast<AtlAxWinInit>(
        reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxWinInit")));
    const auto getControl = reinterpret_cast<AtlAxGetControl>(
        reinterpret_cast<void*>(GetProcAddress(atl, "AtlAxGetControl")));
    if (init == nullptr || getControl == nullptr || !init()) {
        std::fprintf(stderr, "atl.dll offers no AtlAxWin container\n");
        return 1;
    }
    WNDCLASSW frameClass{};
    frameClass.lpfnWndProc = DefWindowProcW;
    frameClass.hInstance = GetModuleHandleW(nullptr);
    frameClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    frameClass.lpszClassName = L"NetpullAtlHost";
    RegisterClassW(&frameClass);
    RECT frame{0, 0, kWidth, kHeight};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    const HWND window =
        CreateWindowExW(0, L"NetpullAtlHost", L"Netpull in ATL", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                        40, 40, frame.right - frame.left, frame.bottom - frame.top, nullptr,
                        nullptr, frameClass.hInstance, nullptr);
    const HWND box = CreateWindowExW(0, L"AtlAxWin", L"Netpull.HTTP", WS_CHILD | WS_VISIBLE, 10, 10,
                                     kWidth - 20, kHeight - 20, window, nullptr, nullptr, nullptr);
    IUnknown* unknown = nullptr;
    if (box == nullptr || FAILED(getControl(box, &unknown)) || unknown == nullptr) {
        std::fprintf(stderr, "the ATL container did not create Netpull.HTTP\n");
        return 1;
    }
    EventSink sink;
    IDispatch* control = nullptr;
    unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&control));
    if (control == nullptr || netpull::activex::AdviseSink(unknown, &sink) == 0) {
        std::fprintf(stderr, "the control offers no dispatch or events\n");
        return 1;
    }
    const HRESULT hr = Download(control, arguments[1], arguments[2]);
    if (FAILED(hr)) {
        std::fprintf(stderr, "Download failed: 0x%08lX\n", static_cast<unsigned long>(hr));
        return 1;
    }
    PumpFor(60000, &sink);
    PumpFor(300, nullptr);  // the last repaint
    for (const auto& event : sink.events) {
        if (event.id == 2)
            std::printf("Progress %ld %ld\n", event.first, event.second);
        else if (event.id == 4)
            std::printf("Error %ld\n", event.first);
        else
            std::printf("%s\n", event.id == 1 ? "FoundServer" : "Downloaded");
    }
    std::fflush(stdout);
    const bool saved = SavePicture(window, arguments[3]);
    control->Release();
    unknown->Release();
    DestroyWindow(window);
    OleUninitialize();
    return saved && !sink.events.empty() && sink.events.back().id == 3 ? 0 : 1;
}
