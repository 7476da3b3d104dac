// The control's window on Windows: a child window of a class the library registers, which
// draws the display model with GDI at its twips places, cancels on a click of the Cancel label
// or on Alt+C, and lays the display out again when it is resized.
#pragma once

#include <windows.h>

#include "netpull/http/display/download_control.h"

namespace netpull::activex {

class ControlWindow {
  public:
    // The window class, registered when the library is loaded and removed when it is unloaded.
    static bool RegisterClass(HINSTANCE module);
    static void UnregisterClass(HINSTANCE module);
    // Windows of this class that exist in the process.
    static int LiveWindows();

    explicit ControlWindow(http::DownloadControl& control) : control_(control) {}
    ~ControlWindow();
    ControlWindow(const ControlWindow&) = delete;
    ControlWindow& operator=(const ControlWindow&) = delete;

    // Creates the window as a child of parent at the given place, or moves the existing one.
    bool Create(HWND parent, const RECT& place);
    void Move(const RECT& place);
    void Destroy();
    HWND Handle() const { return window_; }

    // Draws the display into any device context, scaled to the given bounds.
    void Draw(HDC dc, const RECT& bounds) const;
    // Redraws after a change of the model.
    void Invalidate() const;

  private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM w, LPARAM l);
    LRESULT Handle(UINT message, WPARAM w, LPARAM l);
    void Paint();
    void ClickAt(POINT point);
    void LayOut();

    http::DownloadControl& control_;
    HWND window_ = nullptr;
};

// Twips of the model at the device's logical resolution.
int TwipsToPixels(int twips, int dotsPerInch);
int PixelsToTwips(int pixels, int dotsPerInch);
// The screen's logical resolution, 96 when it cannot be read.
int ScreenDotsPerInch();

}  // namespace netpull::activex
