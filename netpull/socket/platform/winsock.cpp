// The Windows Sockets 1.1 calls over POSIX non-blocking IPv4 sockets.
#include "netpull/socket/platform/winsock.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "netpull/socket/platform/errors.h"
#include "netpull/socket/platform/resolver.h"
#include "socket_table.h"

namespace netpull::platform {
namespace {

// The largest UDP datagram over IPv4, as Windows reports it in iMaxUdpDg (read unsigned).
constexpr std::int16_t kMaxUdpDatagram = static_cast<std::int16_t>(65467);

int startCount = 0;

// The descriptor of a known socket, or -1 with WSAENOTSOCK as the last error.
int Fd(SOCKET s) {
    const int descriptor = table::Descriptor(s);
    if (descriptor < 0) WSASetLastError(startCount > 0 ? WSAENOTSOCK : WSANOTINITIALISED);
    return descriptor;
}

const sockaddr* Address(const sockaddr_in& address) {
    return reinterpret_cast<const sockaddr*>(&address);
}

int OptionName(int option) {
    switch (option) {
        case SO_BROADCAST_WIN:
            return SO_BROADCAST;
        case SO_SNDBUF_WIN:
            return SO_SNDBUF;
        case SO_RCVBUF_WIN:
            return SO_RCVBUF;
        case SO_TYPE_WIN:
            return SO_TYPE;
        default:
            return -1;
    }
}

// Counts the outcome of a read or a write: the calls that re-enable an event do so whether
// or not they succeed, as Windows does.
int Transferred(SOCKET s, ssize_t n, int length, long event) {
    const int error = errno;
    if (event == FD_READ) table::Reenable(s, FD_READ);
    // Linux sends part of a buffer where Windows would block on the rest: either way the
    // program waits for the next write notification.
    if (event == FD_WRITE && n >= 0 && n < length) table::Reenable(s, FD_WRITE);
    if (n >= 0) return static_cast<int>(n);
    errno = error;
    if (event == FD_WRITE && (error == EAGAIN)) table::Reenable(s, FD_WRITE);
    return FailWithErrno();
}

}  // namespace

int WSAStartup(std::uint16_t version, WSADATA* data) {
    if (version < 0x0101) return WSAVERNOTSUPPORTED;
    ++startCount;
    if (data != nullptr) *data = {0x0101, kMaxUdpDatagram};
    return 0;
}

int WSACleanup() {
    if (startCount == 0) {
        WSASetLastError(WSANOTINITIALISED);
        return SOCKET_ERROR;
    }
    if (--startCount == 0) ShutDownResolver();
    return 0;
}

int WSAAsyncSelect(SOCKET s, HWND window, UINT message, long events) {
    return table::Select(s, window, message, events);
}

HANDLE WSAAsyncGetHostByName(HWND window, UINT message, std::string_view name, char* buffer,
                             int bufferLength) {
    return StartResolution(window, message, name, buffer, bufferLength);
}

int WSACancelAsyncRequest(HANDLE request) {
    return CancelResolution(request) ? 0 : SOCKET_ERROR;
}

SOCKET socket(int family, int type, int protocol) {
    if (startCount == 0) {
        WSASetLastError(WSANOTINITIALISED);
        return INVALID_SOCKET;
    }
    const bool datagram = type == SOCK_DGRAM_WIN;
    if (family != AF_INET_WIN || (type != SOCK_STREAM_WIN && !datagram)) {
        WSASetLastError(family != AF_INET_WIN ? WSAEAFNOSUPPORT : WSAESOCKTNOSUPPORT);
        return INVALID_SOCKET;
    }
    const int descriptor =
        ::socket(AF_INET, (datagram ? SOCK_DGRAM : SOCK_STREAM) | SOCK_NONBLOCK | SOCK_CLOEXEC,
                 protocol == 0 ? 0 : (datagram ? IPPROTO_UDP : IPPROTO_TCP));
    if (descriptor < 0) return FailWithErrno();
    return table::Add(descriptor, datagram ? table::Phase::Datagram : table::Phase::Created);
}

int closesocket(SOCKET s) {
    const int descriptor = table::Remove(s);
    if (descriptor < 0) {
        WSASetLastError(WSAENOTSOCK);
        return SOCKET_ERROR;
    }
    return ::close(descriptor) == 0 ? 0 : FailWithErrno();
}

int connect(SOCKET s, const sockaddr_in& address) {
    const int descriptor = Fd(s);
    if (descriptor < 0) return SOCKET_ERROR;
    if (::connect(descriptor, Address(address), sizeof address) == 0) {
        if (table::IsStream(s)) table::ConnectStarted(s, 0);
        return 0;
    }
    const int error = errno;
    if (!table::IsStream(s) || error == EALREADY || error == EISCONN) return FailWithErrno();
    // Windows reports every outcome of a non-blocking connect through the connect event;
    // a refusal that Linux knows at once is reported the same way.
    table::ConnectStarted(s, error == EINPROGRESS ? 0 : WsaErrorFromErrno(error));
    WSASetLastError(WSAEWOULDBLOCK);
    return SOCKET_ERROR;
}

int bind(SOCKET s, const sockaddr_in& address) {
    const int descriptor = Fd(s);
    if (descriptor < 0) return SOCKET_ERROR;
    return ::bind(descriptor, Address(address), sizeof address) == 0 ? 0 : FailWithErrno();
}

int listen(SOCKET s, int backlog) {
    const int descriptor = Fd(s);
    if (descriptor < 0) return SOCKET_ERROR;
    if (::listen(descriptor, backlog) != 0) return FailWithErrno();
    table::SetPhase(s, table::Phase::Listening);
    return 0;
}

SOCKET accept(SOCKET s, sockaddr_in* address) {
    const int descriptor = Fd(s);
    if (descriptor < 0) return INVALID_SOCKET;
    socklen_t length = sizeof(sockaddr_in);
    const int accepted = ::accept4(descriptor, reinterpret_cast<sockaddr*>(address),
                                   address ? &length : nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    const int error = errno;
    const bool outOfResources =
        accepted < 0 && (error == EMFILE || error == ENFILE || error == ENOBUFS || error == ENOMEM);
    if (outOfResources)
        table::ReenableAcceptAfterPause(s);
    else
        table::Reenable(s, FD_ACCEPT);
    errno = error;
    if (accepted < 0) return FailWithErrno();
    return table::Add(accepted, table::Phase::Connected);
}

int send(SOCKET s, const char* data, int length, int flags) {
    const int descriptor = Fd(s);
    if (descriptor < 0) return SOCKET_ERROR;
    return Transferred(
        s, ::send(descriptor, data, static_cast<std::size_t>(length), flags | MSG_NOSIGNAL), length,
        FD_WRITE);
}

int sendto(SOCKET s, const char* data, int length, int flags, const sockaddr_in& to) {
    const int descriptor = Fd(s);
    if (descriptor < 0) return SOCKET_ERROR;
    return Transferred(s,
                       ::sendto(descriptor, data, static_cast<std::size_t>(length),
                                flags | MSG_NOSIGNAL, Address(to), sizeof to),
                       length, FD_WRITE);
}

int recv(SOCKET s, char* data, int length, int flags) {
    const int descriptor = Fd(s);
    if (descriptor < 0) return SOCKET_ERROR;
    if (!table::IsStream(s)) return recvfrom(s, data, length, flags, nullptr);
    return Transferred(s, ::recv(descriptor, data, static_cast<std::size_t>(length), flags), length,
                       FD_READ);
}

// A datagram longer than the buffer fills it and fails with WSAEMSGSIZE; the ICMP error of an
// earlier datagram fails with WSAECONNRESET, as on Windows.
int recvfrom(SOCKET s, char* data, int length, int flags, sockaddr_in* from) {
    const int descriptor = Fd(s);
    if (descriptor < 0) return SOCKET_ERROR;
    socklen_t size = sizeof(sockaddr_in);
    const bool datagram = !table::IsStream(s);
    const ssize_t n = ::recvfrom(descriptor, data, static_cast<std::size_t>(length),
                                 flags | (datagram ? MSG_TRUNC : 0),
                                 reinterpret_cast<sockaddr*>(from), from ? &size : nullptr);
    const int error = errno;
    const int result = Transferred(s, n > length ? length : n, length, FD_READ);
    if (datagram && n > length) {
        WSASetLastError(WSAEMSGSIZE);
        return SOCKET_ERROR;
    }
    if (datagram && n < 0 && error == ECONNREFUSED) WSASetLastError(WSAECONNRESET);
    return result;
}

int getsockname(SOCKET s, sockaddr_in* address) {
    const int descriptor = Fd(s);
    if (descriptor < 0) return SOCKET_ERROR;
    socklen_t length = sizeof(sockaddr_in);
    return ::getsockname(descriptor, reinterpret_cast<sockaddr*>(address), &length) == 0
               ? 0
               : FailWithErrno();
}

int getpeername(SOCKET s, sockaddr_in* address) {
    const int descriptor = Fd(s);
    if (descriptor < 0) return SOCKET_ERROR;
    socklen_t length = sizeof(sockaddr_in);
    return ::getpeername(descriptor, reinterpret_cast<sockaddr*>(address), &length) == 0
               ? 0
               : FailWithErrno();
}

int getsockopt(SOCKET s, int level, int option, std::int32_t* value) {
    const int descriptor = Fd(s);
    if (descriptor < 0) return SOCKET_ERROR;
    if (level != SOL_SOCKET_WIN || OptionName(option) < 0) {
        WSASetLastError(WSAENOPROTOOPT);
        return SOCKET_ERROR;
    }
    int result = 0;
    socklen_t length = sizeof result;
    if (::getsockopt(descriptor, SOL_SOCKET, OptionName(option), &result, &length) != 0)
        return FailWithErrno();
    *value =
        option == SO_TYPE_WIN ? (result == SOCK_STREAM ? SOCK_STREAM_WIN : SOCK_DGRAM_WIN) : result;
    return 0;
}

int setsockopt(SOCKET s, int level, int option, std::int32_t value) {
    const int descriptor = Fd(s);
    if (descriptor < 0) return SOCKET_ERROR;
    if (level != SOL_SOCKET_WIN || OptionName(option) < 0 || option == SO_TYPE_WIN) {
        WSASetLastError(WSAENOPROTOOPT);
        return SOCKET_ERROR;
    }
    const int v = value;
    return ::setsockopt(descriptor, SOL_SOCKET, OptionName(option), &v, sizeof v) == 0
               ? 0
               : FailWithErrno();
}

std::uint32_t inet_addr(std::string_view text) {
    in_addr address{};
    const std::string copy(text);
    if (copy.empty() || ::inet_aton(copy.c_str(), &address) == 0) return 0xFFFFFFFFu;
    return address.s_addr;
}

std::string inet_ntoa(std::uint32_t networkAddress) {
    char text[INET_ADDRSTRLEN] = {};
    in_addr address{networkAddress};
    ::inet_ntop(AF_INET, &address, text, sizeof text);
    return text;
}

std::uint16_t HostToNetwork16(std::uint16_t value) {
    return htons(value);
}
std::uint16_t NetworkToHost16(std::uint16_t value) {
    return ntohs(value);
}

std::optional<std::string> gethostbyaddr(std::uint32_t networkAddress) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = networkAddress;
    char name[NI_MAXHOST] = {};
    if (::getnameinfo(reinterpret_cast<sockaddr*>(&address), sizeof address, name, sizeof name,
                      nullptr, 0, NI_NAMEREQD) != 0)
        return std::nullopt;
    return std::string(name);
}

std::uint32_t GetTickCount() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

int DescriptorOf(SOCKET s) {
    return table::Descriptor(s);
}

}  // namespace netpull::platform
