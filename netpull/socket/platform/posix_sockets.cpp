// The POSIX socket calls behind the stand-in's Windows Sockets.
#include "posix_sockets.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace netpull::platform::posix {
namespace {

// The system's record of an end, of its family's length.
struct Record {
    explicit Record(const Endpoint& end) {
        if (end.v6) {
            sockaddr_in6& v6 = *reinterpret_cast<sockaddr_in6*>(&storage);
            v6.sin6_family = AF_INET6;
            v6.sin6_port = end.port;
            std::memcpy(&v6.sin6_addr, end.address6.data(), end.address6.size());
            v6.sin6_scope_id = end.scope;
            length = sizeof v6;
        } else {
            sockaddr_in& v4 = *reinterpret_cast<sockaddr_in*>(&storage);
            v4.sin_family = AF_INET;
            v4.sin_port = end.port;
            v4.sin_addr.s_addr = end.address;
            length = sizeof v4;
        }
    }
    const sockaddr* Address() const { return reinterpret_cast<const sockaddr*>(&storage); }

    sockaddr_storage storage{};
    socklen_t length = 0;
};

void Fill(Endpoint* end, const sockaddr_storage& record) {
    if (end == nullptr) return;
    *end = {};
    if (record.ss_family == AF_INET6) {
        const auto& v6 = reinterpret_cast<const sockaddr_in6&>(record);
        end->v6 = true;
        std::memcpy(end->address6.data(), &v6.sin6_addr, end->address6.size());
        end->scope = v6.sin6_scope_id;
        end->port = v6.sin6_port;
    } else {
        const auto& v4 = reinterpret_cast<const sockaddr_in&>(record);
        end->address = v4.sin_addr.s_addr;
        end->port = v4.sin_port;
    }
}

// Calls one of getsockname, getpeername, accept with a record to fill.
template <typename Call>
int WithRecord(Endpoint* end, Call call) {
    sockaddr_storage record{};
    socklen_t length = sizeof record;
    const int result = call(reinterpret_cast<sockaddr*>(&record), &length);
    if (result >= 0) Fill(end, record);
    return result;
}

int OptionName(Option option) {
    switch (option) {
        case Option::Broadcast:
            return SO_BROADCAST;
        case Option::SendBuffer:
            return SO_SNDBUF;
        case Option::ReceiveBuffer:
            return SO_RCVBUF;
        case Option::Type:
            return SO_TYPE;
        case Option::ReuseAddress:
            return SO_REUSEADDR;
        case Option::PendingError:
            return SO_ERROR;
    }
    return -1;
}

}  // namespace

// An IPv6 socket carries IPv6 only, as Windows makes it by default.
int OpenSocket(bool datagram, bool v6) {
    const int descriptor =
        ::socket(v6 ? AF_INET6 : AF_INET,
                 (datagram ? SOCK_DGRAM : SOCK_STREAM) | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const int only = 1;
    if (descriptor >= 0 && v6)
        ::setsockopt(descriptor, IPPROTO_IPV6, IPV6_V6ONLY, &only, sizeof only);
    return descriptor;
}

int Close(int descriptor) {
    return ::close(descriptor);
}

int Connect(int descriptor, Endpoint to) {
    const Record record(to);
    return ::connect(descriptor, record.Address(), record.length);
}

int Bind(int descriptor, Endpoint local) {
    const Record record(local);
    return ::bind(descriptor, record.Address(), record.length);
}

int Listen(int descriptor, int backlog) {
    return ::listen(descriptor, backlog);
}

int Accept(int descriptor, Endpoint* peer) {
    return WithRecord(peer, [descriptor](sockaddr* record, socklen_t* length) {
        return ::accept4(descriptor, record, length, SOCK_NONBLOCK | SOCK_CLOEXEC);
    });
}

long Send(int descriptor, const char* data, int length, int flags) {
    return ::send(descriptor, data, static_cast<std::size_t>(length), flags | MSG_NOSIGNAL);
}

long SendTo(int descriptor, const char* data, int length, int flags, Endpoint to) {
    const Record record(to);
    return ::sendto(descriptor, data, static_cast<std::size_t>(length), flags | MSG_NOSIGNAL,
                    record.Address(), record.length);
}

long Receive(int descriptor, char* data, int length, int flags) {
    return ::recv(descriptor, data, static_cast<std::size_t>(length), flags);
}

long ReceiveFrom(int descriptor, char* data, int length, int flags, bool datagram, Endpoint* from) {
    sockaddr_storage record{};
    socklen_t size = sizeof record;
    const ssize_t n =
        ::recvfrom(descriptor, data, static_cast<std::size_t>(length),
                   flags | (datagram ? MSG_TRUNC : 0), reinterpret_cast<sockaddr*>(&record), &size);
    if (n >= 0) Fill(from, record);
    return n;
}

int LocalEnd(int descriptor, Endpoint* end) {
    return WithRecord(end, [descriptor](sockaddr* record, socklen_t* length) {
        return ::getsockname(descriptor, record, length);
    });
}

int PeerEnd(int descriptor, Endpoint* end) {
    return WithRecord(end, [descriptor](sockaddr* record, socklen_t* length) {
        return ::getpeername(descriptor, record, length);
    });
}

int GetOption(int descriptor, Option option, int* value) {
    socklen_t length = sizeof *value;
    if (::getsockopt(descriptor, SOL_SOCKET, OptionName(option), value, &length) != 0) return -1;
    if (option == Option::Type) *value = *value == SOCK_STREAM ? kStream : kDatagram;
    return 0;
}

int SetOption(int descriptor, Option option, int value) {
    return ::setsockopt(descriptor, SOL_SOCKET, OptionName(option), &value, sizeof value);
}

int GetLinger(int descriptor, bool* on, int* seconds) {
    ::linger setting{};
    socklen_t length = sizeof setting;
    if (::getsockopt(descriptor, SOL_SOCKET, SO_LINGER, &setting, &length) != 0) return -1;
    *on = setting.l_onoff != 0;
    *seconds = setting.l_linger;
    return 0;
}

int SetLinger(int descriptor, bool on, int seconds) {
    const ::linger setting{on ? 1 : 0, seconds};
    return ::setsockopt(descriptor, SOL_SOCKET, SO_LINGER, &setting, sizeof setting);
}

bool ParseDotted(const char* text, std::uint32_t* address) {
    in_addr parsed{};
    if (text == nullptr || *text == '\0' || ::inet_aton(text, &parsed) == 0) return false;
    *address = parsed.s_addr;
    return true;
}

std::string DottedText(std::uint32_t address) {
    char text[INET_ADDRSTRLEN] = {};
    const in_addr value{address};
    ::inet_ntop(AF_INET, &value, text, sizeof text);
    return text;
}

bool ParseIpv6(const char* text, std::array<std::uint8_t, 16>* address) {
    return text != nullptr && ::inet_pton(AF_INET6, text, address->data()) == 1;
}

std::string Ipv6Text(const std::array<std::uint8_t, 16>& address) {
    char text[INET6_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET6, address.data(), text, sizeof text);
    return text;
}

std::string NameOf(std::uint32_t address) {
    Endpoint end;
    end.address = address;
    const Record record(end);
    char name[NI_MAXHOST] = {};
    if (::getnameinfo(record.Address(), record.length, name, sizeof name, nullptr, 0,
                      NI_NAMEREQD) != 0)
        return {};
    return name;
}

}  // namespace netpull::platform::posix
