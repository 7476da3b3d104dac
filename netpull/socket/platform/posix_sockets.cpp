// The POSIX socket calls behind the stand-in's Windows Sockets.
#include "posix_sockets.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace netpull::platform::posix {
namespace {

sockaddr_in Record(Endpoint end) {
    sockaddr_in record{};
    record.sin_family = AF_INET;
    record.sin_port = end.port;
    record.sin_addr.s_addr = end.address;
    return record;
}

void Fill(Endpoint* end, const sockaddr_in& record) {
    if (end != nullptr) *end = {record.sin_addr.s_addr, record.sin_port};
}

// Calls one of getsockname, getpeername, accept with a record to fill.
template <typename Call>
int WithRecord(Endpoint* end, Call call) {
    sockaddr_in record{};
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

int OpenSocket(bool datagram) {
    return ::socket(AF_INET, (datagram ? SOCK_DGRAM : SOCK_STREAM) | SOCK_NONBLOCK | SOCK_CLOEXEC,
                    0);
}

int Close(int descriptor) {
    return ::close(descriptor);
}

int Connect(int descriptor, Endpoint to) {
    const sockaddr_in record = Record(to);
    return ::connect(descriptor, reinterpret_cast<const sockaddr*>(&record), sizeof record);
}

int Bind(int descriptor, Endpoint local) {
    const sockaddr_in record = Record(local);
    return ::bind(descriptor, reinterpret_cast<const sockaddr*>(&record), sizeof record);
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
    const sockaddr_in record = Record(to);
    return ::sendto(descriptor, data, static_cast<std::size_t>(length), flags | MSG_NOSIGNAL,
                    reinterpret_cast<const sockaddr*>(&record), sizeof record);
}

long Receive(int descriptor, char* data, int length, int flags) {
    return ::recv(descriptor, data, static_cast<std::size_t>(length), flags);
}

long ReceiveFrom(int descriptor, char* data, int length, int flags, bool datagram, Endpoint* from) {
    sockaddr_in record{};
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

std::string NameOf(std::uint32_t address) {
    const sockaddr_in record = Record({address, 0});
    char name[NI_MAXHOST] = {};
    if (::getnameinfo(reinterpret_cast<const sockaddr*>(&record), sizeof record, name, sizeof name,
                      nullptr, 0, NI_NAMEREQD) != 0)
        return {};
    return name;
}

}  // namespace netpull::platform::posix
