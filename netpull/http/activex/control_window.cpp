// The control's window on Windows: GDI drawing of the display model, Cancel, resize.
#include "control_window.h"

#include <cmath>
#include <string>

#include "netpull/http/display/display_model.h"
#include "wide_text.h"

namespace netpull::activex {
namespace {

using http::DisplayModel;
using http::Element;
using http::TwipsArea;

constexpr wchar_t kClassName[] = L"NetpullHTTPControl";
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kGrey = RGB(128, 128, 128);
constexpr int kTwipsPerPoint = 20;

int liveWindows = 0;

// Twips of the model to pixels of a target, from the bounds the whole model is drawn into.
struct Scale {
    RECT bounds;
    double x;  // pixels per twip
    double y;

    Scale(const RECT& target, const DisplayModel& model)
        : bounds(target),
          x(static_cast<double>(target.right - target.left) / model.Width()),
          y(static_cast<double>(target.bottom - target.top) / model.Height()) {}
    RECT Of(const TwipsArea& area) const {
        return {bounds.left + static_cast<LONG>(std::lround(area.left * x)),
                bounds.top + static_cast<LONG>(std::lround(area.top * y)),
                bounds.left + static_cast<LONG>(std::lround((area.left + area.width) * x)),
                bounds.top + static_cast<LONG>(std::lround((area.top + area.height) * y))};
    }
    int FontHeight(double points) const {
        return -static_cast<int>(std::lround(points * kTwipsPerPoint * y));
    }
};

// A GDI object selected into a device context for the lifetime of the guard.
class Selected {
  public:
    Selected(HDC dc, HGDIOBJ object, bool owned) : dc_(dc), object_(object), owned_(owned) {
        previous_ = SelectObject(dc, object);
    }
    ~Selected() {
        SelectObject(dc_, previous_);
        if (owned_) DeleteObject(object_);
    }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

  private:
    HDC dc_;
    HGDIOBJ object_;
    HGDIOBJ previous_;
    bool owned_;
};

// MS Sans Serif 8.25 is the control's font, bold for the captions; Label1 is Verdana 9.75.
// The font mapper gives the nearest face where the system lacks one.
HFONT ElementFont(Element element, bool bold, const Scale& scale) {
    const bool verdana = element == Element::Label1;
    return CreateFontW(scale.FontHeight(verdana ? 9.75 : 8.25), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL,
                       FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS,
                       verdana ? L"Verdana" : L"MS Sans Serif");
}

void Outline(HDC dc, const RECT& r, COLORREF line, HBRUSH fill) {
    const Selected pen(dc, CreatePen(PS_SOLID, 1, line), true);
    const Selected brush(dc, fill != nullptr ? fill : GetStockObject(HOLLOW_BRUSH), false);
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
}

void Text(HDC dc, const std::string& text, RECT r, HFONT font, COLORREF colour, UINT format) {
    const std::wstring wide = Wide(text);
    const Selected selected(dc, font, true);
    SetTextColor(dc, colour);
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &r, format | DT_NOCLIP);
}

void DrawElement(HDC dc, const DisplayModel& model, Element element, const Scale& scale) {
    const http::ElementView& view = model[element];
    if (!view.visible) return;
    const RECT r = scale.Of(view.area);
    constexpr UINT kLeft = DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX;
    constexpr UINT kCentred = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
    switch (element) {
        case Element::Shape3:
        case Element::Shape1:
            Outline(dc, r, kBlack, nullptr);
            return;
        case Element::Shape2:
            if (view.area.width > 0) {
                const HBRUSH grey = CreateSolidBrush(kGrey);
                Outline(dc, r, kBlack, grey);
                DeleteObject(grey);
            }
            return;
        case Element::Label1:
            Text(dc, view.text, r, ElementFont(element, false, scale), kWhite, kCentred);
            return;
        case Element::BtnCancel: {
            // A label with a single flat border in the window colours; "&C" underlines C.
            const HBRUSH window = GetSysColorBrush(COLOR_WINDOW);
            FillRect(dc, &r, window);
            const HBRUSH frame = GetSysColorBrush(COLOR_WINDOWTEXT);
            FrameRect(dc, &r, frame);
            Text(dc, view.text, r, ElementFont(element, false, scale),
                 GetSysColor(COLOR_WINDOWTEXT), kCentred & ~static_cast<UINT>(DT_NOPREFIX));
            return;
        }
        default:
            Text(dc, view.text, r, ElementFont(element, view.bold, scale), kBlack,
                 element == Element::Stat4 ? kCentred : kLeft);
    }
}

}  // namespace

int TwipsToPixels(int twips, int dotsPerInch) {
    return MulDiv(twips, dotsPerInch, 1440);
}
int PixelsToTwips(int pixels, int dotsPerInch) {
    return MulDiv(pixels, 1440, dotsPerInch);
}
int ScreenDotsPerInch() {
    const HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen != nullptr) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

bool ControlWindow::RegisterClass(HINSTANCE module) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = &ControlWindow::Procedure;
    windowClass.hInstance = module;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.lpszClassName = kClassName;
    return RegisterClassExW(&windowClass) != 0;
}

void ControlWindow::UnregisterClass(HINSTANCE module) {
    UnregisterClassW(kClassName, module);
}

int ControlWindow::LiveWindows() {
    return liveWindows;
}

ControlWindow::~ControlWindow() {
    Destroy();
}

bool ControlWindow::Create(HWND parent, const RECT& place) {
    if (window_ != nullptr) {
        if (GetParent(window_) != parent) SetParent(window_, parent);
        Move(place);
        return true;
    }
    HINSTANCE module = nullptr;
    GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&ControlWindow::Procedure), &module);
    CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, place.left,
                    place.top, place.right - place.left, place.bottom - place.top, parent, nullptr,
                    module, this);
    if (window_ != nullptr) LayOut();
    return window_ != nullptr;
}

void ControlWindow::Move(const RECT& place) {
    if (window_ != nullptr)
        MoveWindow(window_, place.left, place.top, place.right - place.left,
                   place.bottom - place.top, TRUE);
}

void ControlWindow::Destroy() {
    if (window_ != nullptr) DestroyWindow(window_);
}

void ControlWindow::Invalidate() const {
    if (window_ != nullptr) InvalidateRect(window_, nullptr, FALSE);
}

void ControlWindow::Draw(HDC dc, const RECT& bounds) const {
    const DisplayModel& model = control_.Model();
    const Scale scale(bounds, model);
    for (std::size_t i = 0; i < http::kElementCount; ++i)
        DrawElement(dc, model, static_cast<Element>(i), scale);
}

LRESULT CALLBACK ControlWindow::Procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<ControlWindow*>(reinterpret_cast<CREATESTRUCTW*>(l)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        ++liveWindows;
    }
    auto* self = reinterpret_cast<ControlWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        if (self != nullptr) self->window_ = nullptr;
        --liveWindows;
        return DefWindowProcW(window, message, w, l);
    }
    return self != nullptr ? self->Handle(message, w, l) : DefWindowProcW(window, message, w, l);
}

LRESULT ControlWindow::Handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT:
            Paint();
            return 0;
        case WM_SIZE:
            LayOut();
            return 0;
        case WM_LBUTTONDOWN:
            SetFocus(window_);
            return 0;
        case WM_LBUTTONUP:
            ClickAt({static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))});
            return 0;
        case WM_SYSCHAR:
            if (w == 'c' || w == 'C') {
                control_.btnCancel_Click();
                return 0;
            }
            break;
        default:
            break;
    }
    return DefWindowProcW(window_, message, w, l);
}

void ControlWindow::LayOut() {
    RECT client{};
    GetClientRect(window_, &client);
    const int dpi = ScreenDotsPerInch();
    control_.Resize(PixelsToTwips(client.right, dpi), PixelsToTwips(client.bottom, dpi));
}

void ControlWindow::Paint() {
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(window_, &paint);
    RECT client{};
    GetClientRect(window_, &client);
    // Drawn off screen first, so that a repaint never flickers.
    const HDC memory = CreateCompatibleDC(dc);
    const HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right, client.bottom);
    {
        const Selected selected(memory, bitmap, false);
        FillRect(memory, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        const DisplayModel& model = control_.Model();
        const int dpi = ScreenDotsPerInch();
        Draw(memory, {0, 0, TwipsToPixels(model.Width(), dpi), TwipsToPixels(model.Height(), dpi)});
        BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
    }
    DeleteObject(bitmap);
    DeleteDC(memory);
    EndPaint(window_, &paint);
}

void ControlWindow::ClickAt(POINT point) {
    const DisplayModel& model = control_.Model();
    const int dpi = ScreenDotsPerInch();
    const Scale scale({0, 0, TwipsToPixels(model.Width(), dpi), TwipsToPixels(model.Height(), dpi)},
                      model);
    const RECT cancel = scale.Of(model[Element::BtnCancel].area);
    if (PtInRect(&cancel, point)) control_.btnCancel_Click();
}

}  // namespace netpull::activex
