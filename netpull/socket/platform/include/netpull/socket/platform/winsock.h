// The Windows Sockets interface that the socket layer uses, with winsock2.h's and ws2tcpip.h's
// names, types, numbers and signatures, over POSIX non-blocking IPv4 and IPv6 sockets. Its names
// clash with the POSIX socket headers (sockaddr_in, connect, htons...), so a file includes either
// this or those. Handles are reused after closesocket, as on Windows. Failures return SOCKET_ERROR
// (or INVALID_SOCKET, or null) and set the last error to the Windows Sockets number.
#pragma once

#include <cstddef>
#include <cstdint>

#include "netpull/socket/platform/win_types.h"

// Windows' std::uint16_t, std::uint32_t and std::uint32_t are spelled out: the C library's
// sys/types.h, which every program has, declares the BSD names with a 64-bit std::uint32_t.
struct in_addr {
    std::uint32_t s_addr;  // network byte order
};

struct sockaddr {
    std::uint16_t sa_family;
    char sa_data[14];
};

struct sockaddr_in {
    short sin_family;
    std::uint16_t sin_port;  // network byte order
    in_addr sin_addr;
    char sin_zero[8];
};

struct in6_addr {
    union {
        std::uint8_t Byte[16];
        std::uint16_t Word[8];
    } u;
};
#define s6_addr u.Byte

// IPv6 sockets carry IPv6 only, as on Windows by default.
struct sockaddr_in6 {
    short sin6_family;
    std::uint16_t sin6_port;  // network byte order
    std::uint32_t sin6_flowinfo;
    in6_addr sin6_addr;
    std::uint32_t sin6_scope_id;
};

// Room for an address of any family.
struct sockaddr_storage {
    short ss_family;
    char ss_pad[126];
};

// The result of GetAddrInfoExW, a list that FreeAddrInfoExW frees.
struct ADDRINFOEXW {
    int ai_flags;
    int ai_family;
    int ai_socktype;
    int ai_protocol;
    std::size_t ai_addrlen;
    PWSTR ai_canonname;
    sockaddr* ai_addr;
    void* ai_blob;
    std::size_t ai_bloblen;
    LPGUID ai_provider;
    ADDRINFOEXW* ai_next;
};
using PADDRINFOEXW = ADDRINFOEXW*;

struct OVERLAPPED {
    std::uintptr_t Internal;
    std::uintptr_t InternalHigh;
    union {
        struct {
            DWORD Offset;
            DWORD OffsetHigh;
        } s;
        void* Pointer;
    } u;
    HANDLE hEvent;
};
using LPOVERLAPPED = OVERLAPPED*;
using LPWSAOVERLAPPED = OVERLAPPED*;
using LPLOOKUPSERVICE_COMPLETION_ROUTINE = void(CALLBACK*)(DWORD error, DWORD bytes,
                                                           LPWSAOVERLAPPED overlapped);
// The C library's, never filled here: GetAddrInfoExW is given no time limit.
using PTIMEVAL = struct timeval*;

struct hostent {
    char* h_name;
    char** h_aliases;
    short h_addrtype;
    short h_length;
    char** h_addr_list;
};

struct linger {
    std::uint16_t l_onoff;
    std::uint16_t l_linger;
};

#define WSADESCRIPTION_LEN 256
#define WSASYS_STATUS_LEN 128
struct WSADATA {
    WORD wVersion;
    WORD wHighVersion;
    unsigned short iMaxSockets;
    unsigned short iMaxUdpDg;
    char* lpVendorInfo;
    char szDescription[WSADESCRIPTION_LEN + 1];
    char szSystemStatus[WSASYS_STATUS_LEN + 1];
};
using LPWSADATA = WSADATA*;

#define AF_UNSPEC 0
#define AF_INET 2
#define AF_INET6 23
#define SOCK_STREAM 1
#define SOCK_DGRAM 2
#define IPPROTO_TCP 6
#define IPPROTO_UDP 17
#define INADDR_ANY static_cast<std::uint32_t>(0)
#define INADDR_LOOPBACK 0x7f000001
#define INADDR_NONE 0xffffffff
#define INET6_ADDRSTRLEN 65

#define NS_ALL 0
#define AI_CANONNAME 0x2
#define WSA_IO_PENDING 997

#define MSG_OOB 0x1
#define MSG_PEEK 0x2

// Options at the socket level, with their Windows numbers.
#define SOL_SOCKET 0xffff
#define SO_REUSEADDR 0x0004
#define SO_BROADCAST 0x0020
#define SO_LINGER 0x0080
#define SO_SNDBUF 0x1001
#define SO_RCVBUF 0x1002
#define SO_ERROR 0x1007
#define SO_TYPE 0x1008

int WSAStartup(WORD versionRequested, LPWSADATA data);
int WSACleanup();

// Asks for the network events of a socket as messages to a window, with Windows' rules: read
// is posted again only after the program has read, write after a send or connect that failed
// with WSAEWOULDBLOCK, accept after an accept; connect and close once, with their error. A new
// request posts at once the events whose condition holds; a mask of 0 cancels them. A socket
// accepted from a listener has the listener's request.
int WSAAsyncSelect(SOCKET s, HWND window, std::uint32_t message, long events);

// Looks a host name up in both address families (hints give AF_UNSPEC, or one family, and
// AI_CANONNAME), only asynchronously: with an overlapped structure and a completion routine it
// returns WSA_IO_PENDING, and later, from the loop, writes the list into *result (null on
// failure) and calls the routine with the error (0, WSAHOST_NOT_FOUND, WSANO_DATA,
// WSATRY_AGAIN, WSANO_RECOVERY; WSA_E_CANCELLED when the last WSACleanup comes first). Names
// are ASCII (no punycode conversion); the service, the name space's identifier, the time limit and
// the cancel handle are not supported and must be null.
int GetAddrInfoExW(PCWSTR name, PCWSTR serviceName, DWORD nameSpace, LPGUID nameSpaceId,
                   const ADDRINFOEXW* hints, PADDRINFOEXW* result, PTIMEVAL timeout,
                   LPOVERLAPPED overlapped, LPLOOKUPSERVICE_COMPLETION_ROUTINE completionRoutine,
                   LPHANDLE nameHandle);
void FreeAddrInfoExW(PADDRINFOEXW list);

// AF_INET or AF_INET6.
SOCKET socket(int family, int type, int protocol);
int closesocket(SOCKET s);
// Non-blocking: WSAEWOULDBLOCK, then the outcome as the connect event; an address that cannot
// be reached at all (INADDR_ANY, port 0, no route) fails at once.
int connect(SOCKET s, const sockaddr* name, int nameLength);
int bind(SOCKET s, const sockaddr* name, int nameLength);
int listen(SOCKET s, int backlog);
SOCKET accept(SOCKET s, sockaddr* address, int* addressLength);
int send(SOCKET s, const char* data, int length, int flags);
int sendto(SOCKET s, const char* data, int length, int flags, const sockaddr* to, int toLength);
int recv(SOCKET s, char* data, int length, int flags);
// A datagram longer than the buffer fills it and fails with WSAEMSGSIZE; the ICMP error of an
// earlier datagram fails with WSAECONNRESET.
int recvfrom(SOCKET s, char* data, int length, int flags, sockaddr* from, int* fromLength);
int getsockname(SOCKET s, sockaddr* name, int* nameLength);
int getpeername(SOCKET s, sockaddr* name, int* nameLength);
// The options above at SOL_SOCKET level; values are ints, SO_LINGER's a linger.
int getsockopt(SOCKET s, int level, int option, char* value, int* valueLength);
int setsockopt(SOCKET s, int level, int option, const char* value, int valueLength);

// A dotted IPv4 address in network byte order, or INADDR_NONE when the text is not one.
std::uint32_t inet_addr(const char* text);
// The dotted text of an address, in a buffer of the thread's that the next call reuses.
char* inet_ntoa(in_addr address);
// An IPv4 (four decimal parts only) or IPv6 address of text: 1, or 0 when the text is none.
int inet_pton(int family, PCSTR text, void* address);
// The text of an address into the caller's buffer, or null.
PCSTR inet_ntop(int family, const void* address, PSTR text, std::size_t size);
std::uint16_t htons(std::uint16_t value);
std::uint16_t ntohs(std::uint16_t value);
std::uint32_t htonl(std::uint32_t value);
std::uint32_t ntohl(std::uint32_t value);
// The name of an IPv4 address in network byte order (type AF_INET, length 4); blocks until
// the lookup ends. The entry is the thread's and the next call reuses it; null when unknown.
hostent* gethostbyaddr(const char* address, int length, int type);
