// The Windows Sockets address records of the stand-in's ends.
#include "socket_records.h"

#include <cstring>

namespace netpull::platform {

int WriteRecord(const posix::Endpoint& end, sockaddr_storage* record) {
    *record = {};
    if (end.v6) {
        sockaddr_in6 v6{};
        v6.sin6_family = AF_INET6;
        v6.sin6_port = end.port;
        std::memcpy(v6.sin6_addr.s6_addr, end.address6.data(), end.address6.size());
        v6.sin6_scope_id = end.scope;
        std::memcpy(record, &v6, sizeof v6);
        return sizeof v6;
    }
    sockaddr_in v4{};
    v4.sin_family = AF_INET;
    v4.sin_port = end.port;
    v4.sin_addr.s_addr = end.address;
    std::memcpy(record, &v4, sizeof v4);
    return sizeof v4;
}

bool ReadRecord(const sockaddr* name, int length, posix::Endpoint* end) {
    const auto fail = [](int error) {
        WSASetLastError(error);
        return false;
    };
    if (name == nullptr || length < static_cast<int>(sizeof(sockaddr_in))) return fail(WSAEFAULT);
    if (name->sa_family == AF_INET6) {
        if (length < static_cast<int>(sizeof(sockaddr_in6))) return fail(WSAEFAULT);
        sockaddr_in6 v6{};
        std::memcpy(&v6, name, sizeof v6);
        *end = {};
        end->v6 = true;
        std::memcpy(end->address6.data(), v6.sin6_addr.s6_addr, end->address6.size());
        end->scope = v6.sin6_scope_id;
        end->port = v6.sin6_port;
        return true;
    }
    if (name->sa_family != AF_INET) return fail(WSAEAFNOSUPPORT);
    sockaddr_in v4{};
    std::memcpy(&v4, name, sizeof v4);
    *end = {};
    end->address = v4.sin_addr.s_addr;
    end->port = v4.sin_port;
    return true;
}

}  // namespace netpull::platform
