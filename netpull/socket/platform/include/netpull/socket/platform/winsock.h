// The Windows Sockets 1.1 calls that the socket layer uses, over POSIX non-blocking IPv4
// sockets. Handles are numbers of their own that are never reused, so a late notification
// can never reach the wrong socket. Failures return -1 (or INVALID_SOCKET) and set the last
// socket error to the Windows Sockets number.
#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "netpull/socket/platform/errors.h"
#include "netpull/socket/platform/win_types.h"

namespace netpull::platform {

struct WSADATA {
    std::uint16_t wVersion;
    std::int16_t iMaxUdpDg;
};

int WSAStartup(std::uint16_t version, WSADATA* data);
int WSACleanup();

// Asks for the network events of a socket as messages to a window, with Windows' rules:
// read is posted again only after the program has read, write after a send that would have
// blocked, accept after an accept; connect and close once, with their error. An events mask
// of 0 cancels the notifications.
int WSAAsyncSelect(SOCKET s, HWND window, UINT message, long events);

// Starts resolving a host name; the result, the host entry written into buffer, arrives as a
// message with wParam the request handle and the error in the high word of lParam.
HANDLE WSAAsyncGetHostByName(HWND window, UINT message, std::string_view name, char* buffer,
                             int bufferLength);
// Forgets a pending request: its result will not be written nor posted.
int WSACancelAsyncRequest(HANDLE request);

SOCKET socket(int family, int type, int protocol);
int closesocket(SOCKET s);
int connect(SOCKET s, const sockaddr_in& address);
int bind(SOCKET s, const sockaddr_in& address);
int listen(SOCKET s, int backlog);
SOCKET accept(SOCKET s, sockaddr_in* address);
int send(SOCKET s, const char* data, int length, int flags);
int sendto(SOCKET s, const char* data, int length, int flags, const sockaddr_in& to);
int recv(SOCKET s, char* data, int length, int flags);
int recvfrom(SOCKET s, char* data, int length, int flags, sockaddr_in* from);
int getsockname(SOCKET s, sockaddr_in* address);
int getpeername(SOCKET s, sockaddr_in* address);
// Options at the Windows socket level: type, receive and send buffer sizes, broadcast.
int getsockopt(SOCKET s, int level, int option, std::int32_t* value);
int setsockopt(SOCKET s, int level, int option, std::int32_t value);

// A dotted IPv4 address in network byte order, or 0xFFFFFFFF when the text is not one.
std::uint32_t inet_addr(std::string_view text);
std::string inet_ntoa(std::uint32_t networkAddress);
// htons and ntohs (which are macros in the C library, hence the names).
std::uint16_t HostToNetwork16(std::uint16_t value);
std::uint16_t NetworkToHost16(std::uint16_t value);
// The name of an IPv4 address (network byte order); blocks until the lookup ends.
std::optional<std::string> gethostbyaddr(std::uint32_t networkAddress);

// Milliseconds from a monotonic clock, wrapping like Windows' tick count.
std::uint32_t GetTickCount();

// The system socket behind a handle, or -1; for the layer's tests.
int DescriptorOf(SOCKET s);

}  // namespace netpull::platform
