// The Windows Sockets calls over POSIX non-blocking IPv4 and IPv6 sockets.
#include "netpull/socket/platform/winsock.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <string>

#include "errors.h"
#include "netpull/socket/platform/descriptor.h"
#include "netpull/socket/platform/resolver.h"
#include "posix_sockets.h"
#include "socket_records.h"
#include "socket_table.h"

namespace posix = netpull::platform::posix;
namespace table = netpull::platform::table;
using netpull::platform::FailWithErrno;
using netpull::platform::WsaErrorFromErrno;

namespace {

// The largest UDP datagram over IPv4, as Windows reports it in iMaxUdpDg.
constexpr unsigned short kMaxUdpDatagram = 65467;

int startCount = 0;

// The descriptor of a known socket, or -1 with the error of an unknown one.
int Fd(SOCKET s) {
    const int descriptor = table::Descriptor(s);
    if (descriptor < 0) WSASetLastError(startCount > 0 ? WSAENOTSOCK : WSANOTINITIALISED);
    return descriptor;
}

int Fail(int error) {
    WSASetLastError(error);
    return SOCKET_ERROR;
}

bool EndOf(const sockaddr* name, int length, posix::Endpoint* end) {
    return netpull::platform::ReadRecord(name, length, end);
}

// Writes an end into the caller's record, which must have room for one of its family.
int Deliver(const posix::Endpoint& end, sockaddr* name, int* length) {
    if (name == nullptr) return 0;
    sockaddr_storage record{};
    const int needed = netpull::platform::WriteRecord(end, &record);
    if (length == nullptr || *length < needed) return Fail(WSAEFAULT);
    std::memcpy(name, &record, static_cast<std::size_t>(needed));
    *length = needed;
    return 0;
}

bool Unspecified(const posix::Endpoint& end) {
    if (!end.v6) return end.address == INADDR_ANY;
    for (const std::uint8_t byte : end.address6)
        if (byte != 0) return false;
    return true;
}

// Counts the outcome of a read or a write: a read re-enables the read notification whether or
// not it succeeds, a write only when it would have blocked, as Windows does.
int Transferred(SOCKET s, long n, long event) {
    const int error = errno;
    if (event == FD_READ) table::Reenable(s, FD_READ);
    if (n >= 0) return static_cast<int>(n);
    if (event == FD_WRITE && error == EAGAIN) table::Reenable(s, FD_WRITE);
    errno = error;
    return FailWithErrno();
}

bool OptionOf(int level, int option, posix::Option* known) {
    if (level != SOL_SOCKET) return false;
    switch (option) {
        case SO_BROADCAST:
            *known = posix::Option::Broadcast;
            return true;
        case SO_SNDBUF:
            *known = posix::Option::SendBuffer;
            return true;
        case SO_RCVBUF:
            *known = posix::Option::ReceiveBuffer;
            return true;
        case SO_TYPE:
            *known = posix::Option::Type;
            return true;
        case SO_REUSEADDR:
            *known = posix::Option::ReuseAddress;
            return true;
        case SO_ERROR:
            *known = posix::Option::PendingError;
            return true;
        default:
            return false;
    }
}

// Connect failures that Windows reports only through the connect event.
bool ReportedLater(int error) {
    return error == ECONNREFUSED || error == ETIMEDOUT || error == EHOSTUNREACH ||
           error == ECONNRESET;
}

}  // namespace

int WSAStartup(WORD versionRequested, LPWSADATA data) {
    if (versionRequested < 0x0101) return WSAVERNOTSUPPORTED;
    if (data == nullptr) return WSAEFAULT;
    ++startCount;
    *data = WSADATA{};
    data->wVersion = 0x0101;
    data->wHighVersion = 0x0202;
    data->iMaxSockets = 32767;
    data->iMaxUdpDg = kMaxUdpDatagram;
    std::strcpy(data->szDescription, "WinSock 2.0");
    std::strcpy(data->szSystemStatus, "Running");
    return 0;
}

int WSACleanup() {
    if (startCount == 0) return Fail(WSANOTINITIALISED);
    if (--startCount == 0) netpull::platform::ShutDownResolver();
    return 0;
}

int WSAAsyncSelect(SOCKET s, HWND window, std::uint32_t message, long events) {
    return table::Select(s, window, message, events);
}

SOCKET socket(int family, int type, int protocol) {
    if (startCount == 0) {
        WSASetLastError(WSANOTINITIALISED);
        return INVALID_SOCKET;
    }
    const bool datagram = type == SOCK_DGRAM;
    const bool protocolFits = protocol == 0 || protocol == (datagram ? IPPROTO_UDP : IPPROTO_TCP);
    const bool known = family == AF_INET || family == AF_INET6;
    if (!known || (type != SOCK_STREAM && !datagram) || !protocolFits) {
        WSASetLastError(!known ? WSAEAFNOSUPPORT : WSAESOCKTNOSUPPORT);
        return INVALID_SOCKET;
    }
    const int descriptor = posix::OpenSocket(datagram, family == AF_INET6);
    if (descriptor < 0) {
        FailWithErrno();
        return INVALID_SOCKET;
    }
    return table::Add(descriptor, datagram ? table::Phase::Datagram : table::Phase::Created);
}

int closesocket(SOCKET s) {
    const int descriptor = table::Remove(s);
    if (descriptor < 0) return Fail(WSAENOTSOCK);
    return posix::Close(descriptor) == 0 ? 0 : FailWithErrno();
}

int connect(SOCKET s, const sockaddr* name, int nameLength) {
    const int descriptor = Fd(s);
    posix::Endpoint to;
    if (descriptor < 0 || !EndOf(name, nameLength, &to)) return SOCKET_ERROR;
    const bool stream = table::IsStream(s);
    if (stream && (Unspecified(to) || to.port == 0)) return Fail(WSAEADDRNOTAVAIL);
    if (posix::Connect(descriptor, to) == 0) {
        if (stream) table::ConnectStarted(s, 0);
        return 0;
    }
    const int error = errno;
    if (!stream || (error != EINPROGRESS && !ReportedLater(error))) return FailWithErrno();
    table::ConnectStarted(s, error == EINPROGRESS ? 0 : WsaErrorFromErrno(error));
    return Fail(WSAEWOULDBLOCK);
}

int bind(SOCKET s, const sockaddr* name, int nameLength) {
    const int descriptor = Fd(s);
    posix::Endpoint local;
    if (descriptor < 0 || !EndOf(name, nameLength, &local)) return SOCKET_ERROR;
    return posix::Bind(descriptor, local) == 0 ? 0 : FailWithErrno();
}

int listen(SOCKET s, int backlog) {
    const int descriptor = Fd(s);
    if (descriptor < 0) return SOCKET_ERROR;
    if (posix::Listen(descriptor, backlog) != 0) return FailWithErrno();
    table::SetPhase(s, table::Phase::Listening);
    return 0;
}

SOCKET accept(SOCKET s, sockaddr* address, int* addressLength) {
    const int descriptor = Fd(s);
    if (descriptor < 0) return INVALID_SOCKET;
    posix::Endpoint peer;
    const int accepted = posix::Accept(descriptor, &peer);
    const int error = errno;
    const bool outOfResources =
        accepted < 0 && (error == EMFILE || error == ENFILE || error == ENOBUFS || error == ENOMEM);
    if (outOfResources)
        table::ReenableAcceptAfterPause(s);
    else
        table::Reenable(s, FD_ACCEPT);
    errno = error;
    if (accepted < 0) {
        FailWithErrno();
        return INVALID_SOCKET;
    }
    const SOCKET handle = table::AddAccepted(s, accepted);
    if (Deliver(peer, address, addressLength) != 0) {
        closesocket(handle);
        WSASetLastError(WSAEFAULT);
        return INVALID_SOCKET;
    }
    return handle;
}

int send(SOCKET s, const char* data, int length, int flags) {
    const int descriptor = Fd(s);
    if (descriptor < 0) return SOCKET_ERROR;
    return Transferred(s, posix::Send(descriptor, data, length, flags), FD_WRITE);
}

int sendto(SOCKET s, const char* data, int length, int flags, const sockaddr* to, int toLength) {
    const int descriptor = Fd(s);
    posix::Endpoint end;
    if (descriptor < 0 || !EndOf(to, toLength, &end)) return SOCKET_ERROR;
    return Transferred(s, posix::SendTo(descriptor, data, length, flags, end), FD_WRITE);
}

int recv(SOCKET s, char* data, int length, int flags) {
    const int descriptor = Fd(s);
    if (descriptor < 0) return SOCKET_ERROR;
    if (!table::IsStream(s)) return recvfrom(s, data, length, flags, nullptr, nullptr);
    return Transferred(s, posix::Receive(descriptor, data, length, flags), FD_READ);
}

int recvfrom(SOCKET s, char* data, int length, int flags, sockaddr* from, int* fromLength) {
    const int descriptor = Fd(s);
    if (descriptor < 0) return SOCKET_ERROR;
    const bool datagram = !table::IsStream(s);
    posix::Endpoint sender;
    const long n = posix::ReceiveFrom(descriptor, data, length, flags, datagram, &sender);
    const int error = errno;
    const int result = Transferred(s, n > length ? length : n, FD_READ);
    if (n >= 0 && Deliver(sender, from, fromLength) != 0) return SOCKET_ERROR;
    if (datagram && n > length) return Fail(WSAEMSGSIZE);
    if (datagram && n < 0 && error == ECONNREFUSED) return Fail(WSAECONNRESET);
    return result;
}

int getsockname(SOCKET s, sockaddr* name, int* nameLength) {
    const int descriptor = Fd(s);
    if (descriptor < 0) return SOCKET_ERROR;
    posix::Endpoint end;
    if (posix::LocalEnd(descriptor, &end) != 0) return FailWithErrno();
    return Deliver(end, name, nameLength);
}

int getpeername(SOCKET s, sockaddr* name, int* nameLength) {
    const int descriptor = Fd(s);
    if (descriptor < 0) return SOCKET_ERROR;
    posix::Endpoint end;
    if (posix::PeerEnd(descriptor, &end) != 0) return FailWithErrno();
    return Deliver(end, name, nameLength);
}

int getsockopt(SOCKET s, int level, int option, char* value, int* valueLength) {
    const int descriptor = Fd(s);
    if (descriptor < 0) return SOCKET_ERROR;
    if (value == nullptr || valueLength == nullptr) return Fail(WSAEFAULT);
    if (level == SOL_SOCKET && option == SO_LINGER) {
        if (*valueLength < static_cast<int>(sizeof(linger))) return Fail(WSAEFAULT);
        bool on = false;
        int seconds = 0;
        if (posix::GetLinger(descriptor, &on, &seconds) != 0) return FailWithErrno();
        const linger setting{static_cast<std::uint16_t>(on), static_cast<std::uint16_t>(seconds)};
        std::memcpy(value, &setting, sizeof setting);
        *valueLength = sizeof setting;
        return 0;
    }
    posix::Option known{};
    if (!OptionOf(level, option, &known)) return Fail(WSAENOPROTOOPT);
    if (*valueLength < static_cast<int>(sizeof(int))) return Fail(WSAEFAULT);
    int result = 0;
    if (posix::GetOption(descriptor, known, &result) != 0) return FailWithErrno();
    if (known == posix::Option::Type) result = result == posix::kStream ? SOCK_STREAM : SOCK_DGRAM;
    if (known == posix::Option::PendingError && result != 0) result = WsaErrorFromErrno(result);
    std::memcpy(value, &result, sizeof result);
    *valueLength = sizeof result;
    return 0;
}

int setsockopt(SOCKET s, int level, int option, const char* value, int valueLength) {
    const int descriptor = Fd(s);
    if (descriptor < 0) return SOCKET_ERROR;
    if (value == nullptr) return Fail(WSAEFAULT);
    if (level == SOL_SOCKET && option == SO_LINGER) {
        if (valueLength < static_cast<int>(sizeof(linger))) return Fail(WSAEFAULT);
        linger setting{};
        std::memcpy(&setting, value, sizeof setting);
        return posix::SetLinger(descriptor, setting.l_onoff != 0, setting.l_linger) == 0
                   ? 0
                   : FailWithErrno();
    }
    posix::Option known{};
    if (!OptionOf(level, option, &known) || known == posix::Option::Type ||
        known == posix::Option::PendingError)
        return Fail(WSAENOPROTOOPT);
    // Windows takes a one-byte value for a boolean option, and reads an int otherwise.
    if (valueLength < 1) return Fail(WSAEFAULT);
    int setting = 0;
    if (valueLength >= static_cast<int>(sizeof setting))
        std::memcpy(&setting, value, sizeof setting);
    else
        setting = static_cast<unsigned char>(*value);
    return posix::SetOption(descriptor, known, setting) == 0 ? 0 : FailWithErrno();
}

std::uint32_t inet_addr(const char* text) {
    std::uint32_t address = 0;
    return posix::ParseDotted(text, &address) ? address : INADDR_NONE;
}

char* inet_ntoa(in_addr address) {
    thread_local char text[16];
    const std::string dotted = posix::DottedText(address.s_addr);
    std::strncpy(text, dotted.c_str(), sizeof text - 1);
    return text;
}

int inet_pton(int family, PCSTR text, void* address) {
    if (text == nullptr || address == nullptr) {
        WSASetLastError(WSAEFAULT);
        return -1;
    }
    if (family == AF_INET6) {
        std::array<std::uint8_t, 16> parsed{};
        if (!posix::ParseIpv6(text, &parsed)) return 0;
        std::memcpy(address, parsed.data(), parsed.size());
        return 1;
    }
    if (family != AF_INET) {
        WSASetLastError(WSAEAFNOSUPPORT);
        return -1;
    }
    // Four decimal parts, as inet_pton reads them, not inet_addr's shorter and octal forms.
    std::uint32_t parsed = 0;
    const std::string canonical =
        posix::ParseDotted(text, &parsed) ? posix::DottedText(parsed) : "";
    if (canonical.empty() || canonical != text) return 0;
    std::memcpy(address, &parsed, sizeof parsed);
    return 1;
}

PCSTR inet_ntop(int family, const void* address, PSTR text, std::size_t size) {
    std::string written;
    if (address != nullptr && family == AF_INET6) {
        std::array<std::uint8_t, 16> bytes{};
        std::memcpy(bytes.data(), address, bytes.size());
        written = posix::Ipv6Text(bytes);
    } else if (address != nullptr && family == AF_INET) {
        std::uint32_t value = 0;
        std::memcpy(&value, address, sizeof value);
        written = posix::DottedText(value);
    }
    if (written.empty() || text == nullptr || size <= written.size()) {
        WSASetLastError(written.empty() ? WSAEAFNOSUPPORT : WSAEINVAL);
        return nullptr;
    }
    std::memcpy(text, written.c_str(), written.size() + 1);
    return text;
}

std::uint16_t htons(std::uint16_t value) {
    return static_cast<std::uint16_t>((value >> 8) | (value << 8));
}
std::uint16_t ntohs(std::uint16_t value) {
    return htons(value);
}
std::uint32_t htonl(std::uint32_t value) {
    return __builtin_bswap32(value);
}
std::uint32_t ntohl(std::uint32_t value) {
    return htonl(value);
}

hostent* gethostbyaddr(const char* address, int length, int type) {
    if (address == nullptr || length != 4 || type != AF_INET) {
        WSASetLastError(WSAEFAULT);
        return nullptr;
    }
    std::uint32_t value = 0;
    std::memcpy(&value, address, sizeof value);
    thread_local std::string name;
    thread_local std::uint32_t found;
    thread_local char* addresses[2];
    thread_local char* aliases[1];
    thread_local hostent entry;
    name = posix::NameOf(value);
    if (name.empty()) {
        WSASetLastError(WSANO_DATA);
        return nullptr;
    }
    found = value;
    addresses[0] = reinterpret_cast<char*>(&found);
    addresses[1] = nullptr;
    aliases[0] = nullptr;
    entry = hostent{name.data(), aliases, AF_INET, 4, addresses};
    return &entry;
}

int netpull::platform::DescriptorOf(SOCKET s) {
    return table::Descriptor(s);
}
