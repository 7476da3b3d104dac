// The Windows types and constants that the socket layer is written against, in the global
// namespace and as macros where the Windows headers have them so, so that the code above this
// folder reads as it would over Windows Sockets 1.1 and user32. Nothing here has a POSIX
// namesake: the stand-in's own POSIX code includes it beside the system headers (the names
// that clash, such as sockaddr_in or connect, are in winsock.h).
#pragma once

#include <cstdint>

#include "netpull/socket/socket_error_table.h"

// Handles are pointers to types of their own, as with STRICT: one kind cannot pass for another.
using HWND = struct HWND__*;  // window handle; null means none
using HMENU = struct HMENU__*;
using HINSTANCE = struct HINSTANCE__*;
using UINT = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using LONG_PTR = std::intptr_t;
using LPCSTR = const char*;
using LPVOID = void*;
#define CALLBACK
using WNDPROC = LRESULT(CALLBACK*)(HWND, UINT, WPARAM, LPARAM);
using UINT_PTR = std::uintptr_t;
using SOCKET = UINT_PTR;
using HANDLE = void*;
using LPHANDLE = HANDLE*;
using WCHAR = wchar_t;
using PCWSTR = const WCHAR*;
using PWSTR = WCHAR*;
using PCSTR = const char*;
using PSTR = char*;
struct GUID;
using LPGUID = GUID*;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using BOOL = int;
using TIMERPROC = void(CALLBACK*)(HWND, UINT, UINT_PTR, DWORD);

#define NO_ERROR 0L
#define FALSE 0
#define TRUE 1
#define GWLP_WNDPROC (-4)

inline constexpr UINT WM_TIMER = 0x0113;
inline constexpr DWORD INFINITE = 0xFFFFFFFFu;
inline constexpr DWORD WAIT_OBJECT_0 = 0;
inline constexpr DWORD WAIT_TIMEOUT = 258;
inline constexpr DWORD QS_ALLINPUT = 0x04FF;

#define INVALID_SOCKET (static_cast<SOCKET>(~0))
#define SOCKET_ERROR (-1)

// Network events of WSAAsyncSelect.
#define FD_READ 0x01
#define FD_WRITE 0x02
#define FD_OOB 0x04
#define FD_ACCEPT 0x08
#define FD_CONNECT 0x10
#define FD_CLOSE 0x20

// The Windows Sockets error numbers, by their Windows names.
#define NETPULL_ERROR_NAME(number, name, ...) inline constexpr int name = number;
NETPULL_SOCKET_ERRORS(NETPULL_ERROR_NAME)
#undef NETPULL_ERROR_NAME

// The calling thread's last Windows Sockets error.
int WSAGetLastError();
void WSASetLastError(int error);

// The words of a message parameter, and the network event and error of a WSAAsyncSelect
// message or of an asynchronous reply.
#define LOWORD(l) (static_cast<std::uint16_t>(static_cast<std::uintptr_t>(l) & 0xFFFF))
#define HIWORD(l) (static_cast<std::uint16_t>((static_cast<std::uintptr_t>(l) >> 16) & 0xFFFF))
#define WSAMAKESELECTREPLY(event, error)                                      \
    (static_cast<LPARAM>((static_cast<std::uint32_t>((error)&0xFFFF) << 16) | \
                         (static_cast<std::uint32_t>(event) & 0xFFFF)))
#define WSAMAKEASYNCREPLY(buflen, error) WSAMAKESELECTREPLY(buflen, error)
#define WSAGETSELECTEVENT(lParam) LOWORD(lParam)
#define WSAGETSELECTERROR(lParam) HIWORD(lParam)
#define WSAGETASYNCERROR(lParam) HIWORD(lParam)
