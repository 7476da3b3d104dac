// A private message queue with hidden windows, as the socket layer uses user32: registered
// message numbers, windows with a replaceable procedure, posting, and delivery of every
// message pending at one moment. Messages posted to a destroyed window are dropped.
#pragma once

#include <string_view>

#include "netpull/socket/platform/win_types.h"

namespace netpull::platform {

// The same name always gives the same number, from 0xC000 up.
UINT RegisterWindowMessageA(std::string_view name);

// Creates a window of the "STATIC" class, whose own procedure answers every message with 0.
HWND CreateWindowExA(std::string_view className, std::string_view windowName);
bool DestroyWindow(HWND window);
bool IsWindow(HWND window);

// SetWindowLongA(window, GWL_WNDPROC, procedure): returns the previous procedure, or
// nullptr when the window does not exist.
WNDPROC SetWindowProcedure(HWND window, WNDPROC procedure);
LRESULT CallWindowProcA(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

bool PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Delivers the messages that are pending now, in order; messages posted while they are
// delivered wait for the next call. Procedures may post, create and destroy windows.
void DispatchPendingMessages();
bool HasPendingMessages();

// Timers without a window: SetTimer(0, 0, elapse, procedure) returns a new timer number, and
// the procedure is called with it every elapse milliseconds from inside the loop's pumps
// until KillTimer. A procedure may kill or set any timer, its own included.
UINT_PTR SetTimer(HWND window, UINT_PTR idEvent, UINT elapse, TIMERPROC procedure);
BOOL KillTimer(HWND window, UINT_PTR idEvent);

// Waits until a message or a network event is there for the thread or the time runs out;
// WAIT_OBJECT_0 + count when input is there, WAIT_TIMEOUT otherwise. Only count 0 is known here.
DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll,
                                DWORD milliseconds, DWORD wakeMask);

// Called whenever a message is posted to an empty queue, so that the loop can wake its host.
void SetPostObserver(void (*observer)());

}  // namespace netpull::platform
