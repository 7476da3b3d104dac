// A private message queue with hidden windows, as the socket layer uses user32: registered
// message numbers, windows with a replaceable procedure, posting, and delivery of every
// message pending at one moment. Messages posted to a destroyed window are dropped.
#pragma once

#include "netpull/socket/platform/win_types.h"

// The same name always gives the same number, from 0xC000 up.
UINT RegisterWindowMessageA(LPCSTR name);

// Creates a window of the "STATIC" class, whose own procedure answers every message with 0;
// there is no other class. Style, place, parent, menu and instance are not looked at.
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID parameter);
BOOL DestroyWindow(HWND window);
BOOL IsWindow(HWND window);

// Only GWLP_WNDPROC: replaces the window's procedure and returns the previous one, or 0 when
// the window does not exist.
LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value);
LRESULT CallWindowProcA(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Timers without a window: SetTimer(0, 0, elapse, procedure) returns a new timer number, and
// the procedure is called with it every elapse milliseconds from inside the loop's pumps
// until KillTimer. A procedure may kill or set any timer, its own included.
UINT_PTR SetTimer(HWND window, UINT_PTR idEvent, UINT elapse, TIMERPROC procedure);
BOOL KillTimer(HWND window, UINT_PTR idEvent);

// Waits until a message or a network event is there for the thread or the time runs out;
// WAIT_OBJECT_0 + count when input is there, WAIT_TIMEOUT otherwise. Only count 0 is known here.
DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll,
                                DWORD milliseconds, DWORD wakeMask);

// Milliseconds from a monotonic clock, wrapping like Windows' tick count.
DWORD GetTickCount();

// What the stand-in's loop needs of the queue, which Windows keeps to itself.
namespace netpull::platform {

// Delivers the messages that are pending now, in order; messages posted while they are
// delivered wait for the next call. Procedures may post, create and destroy windows.
void DispatchPendingMessages();
bool HasPendingMessages();

// Called whenever a message is posted to an empty queue, so that the loop can wake its host.
void SetPostObserver(void (*observer)());

}  // namespace netpull::platform
