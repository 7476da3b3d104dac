// The Windows types and constants that the socket layer is written against, so that the code
// above this folder reads as it would over Windows Sockets 1.1 and user32.
#pragma once

#include <cstdint>

#include "netpull/socket/socket_error_table.h"

namespace netpull::platform {

using HWND = std::int32_t;  // window handle; 0 means none
using UINT = std::uint32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using SOCKET = std::int32_t;  // -1 is INVALID_SOCKET
using HANDLE = std::int32_t;  // asynchronous request handle; 0 means none
using UINT_PTR = std::uintptr_t;
using DWORD = std::uint32_t;
using BOOL = int;
using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);

inline constexpr UINT WM_TIMER = 0x0113;
inline constexpr DWORD INFINITE = 0xFFFFFFFFu;
inline constexpr DWORD WAIT_OBJECT_0 = 0;
inline constexpr DWORD WAIT_TIMEOUT = 258;
inline constexpr DWORD QS_ALLINPUT = 0x04FF;

inline constexpr SOCKET INVALID_SOCKET = -1;
inline constexpr int SOCKET_ERROR = -1;

// Network events of WSAAsyncSelect.
inline constexpr long FD_READ = 1;
inline constexpr long FD_WRITE = 2;
inline constexpr long FD_OOB = 4;
inline constexpr long FD_ACCEPT = 8;
inline constexpr long FD_CONNECT = 16;
inline constexpr long FD_CLOSE = 32;

// Socket options at SOL_SOCKET level, with their Windows numbers.
inline constexpr int SOL_SOCKET_WIN = 0xFFFF;
inline constexpr int SO_BROADCAST_WIN = 0x0020;
inline constexpr int SO_SNDBUF_WIN = 0x1001;
inline constexpr int SO_RCVBUF_WIN = 0x1002;
inline constexpr int SO_TYPE_WIN = 0x1008;

inline constexpr int AF_INET_WIN = 2;
inline constexpr int SOCK_STREAM_WIN = 1;
inline constexpr int SOCK_DGRAM_WIN = 2;
inline constexpr int IPPROTO_TCP_WIN = 6;
inline constexpr int IPPROTO_UDP_WIN = 17;

// The Windows Sockets error numbers, by their Windows names.
#define NETPULL_ERROR_NAME(number, name, ...) inline constexpr int name = number;
NETPULL_SOCKET_ERRORS(NETPULL_ERROR_NAME)
#undef NETPULL_ERROR_NAME

inline constexpr WPARAM LowWord(LPARAM value) {
    return static_cast<WPARAM>(value) & 0xFFFF;
}
inline constexpr LPARAM MakeSelectReply(long event, int error) {
    return static_cast<LPARAM>((static_cast<std::uint32_t>(error & 0xFFFF) << 16) |
                               (static_cast<std::uint32_t>(event) & 0xFFFF));
}

}  // namespace netpull::platform
