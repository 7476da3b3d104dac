// The IPv4 and IPv6 addresses and socket options of the socket object.
#include "socket_addresses.h"

#include <cstring>

#include "netpull/socket/socket_support.h"

namespace netpull {

std::optional<HostAddress> AddressOfText(const std::string& text) {
    HostAddress address;
    if (text.find(':') != std::string::npos) {
        address.family = AF_INET6;
        if (inet_pton(AF_INET6, text.c_str(), address.bytes.data()) != 1) return std::nullopt;
        return address;
    }
    const std::uint32_t v4 = inet_addr(text.c_str());
    if (text.empty() || v4 == INADDR_NONE) return std::nullopt;
    std::memcpy(address.bytes.data(), &v4, sizeof v4);
    return address;
}

std::string TextOf(const HostAddress& address) {
    char text[INET6_ADDRSTRLEN] = {};
    return inet_ntop(address.family, address.bytes.data(), text, sizeof text) != nullptr ? text
                                                                                         : "";
}

SocketAddress RecordOf(const HostAddress& address, std::int32_t port) {
    const auto networkPort = htons(static_cast<std::uint16_t>(MSocketSupport::ToSigned16(port)));
    SocketAddress record;
    if (address.family == AF_INET6) {
        sockaddr_in6 v6{};
        v6.sin6_family = AF_INET6;
        v6.sin6_port = networkPort;
        std::memcpy(v6.sin6_addr.s6_addr, address.bytes.data(), 16);
        v6.sin6_scope_id = address.scope;
        std::memcpy(&record.storage, &v6, sizeof v6);
        record.length = sizeof v6;
    } else {
        sockaddr_in v4{};
        v4.sin_family = AF_INET;
        v4.sin_port = networkPort;
        std::memcpy(&v4.sin_addr.s_addr, address.bytes.data(), 4);
        std::memcpy(&record.storage, &v4, sizeof v4);
        record.length = sizeof v4;
    }
    return record;
}

HostAddress AddressOf(const SocketAddress& record) {
    HostAddress address;
    if (record.storage.ss_family == AF_INET6) {
        sockaddr_in6 v6{};
        std::memcpy(&v6, &record.storage, sizeof v6);
        address.family = AF_INET6;
        std::memcpy(address.bytes.data(), v6.sin6_addr.s6_addr, 16);
        address.scope = v6.sin6_scope_id;
    } else {
        sockaddr_in v4{};
        std::memcpy(&v4, &record.storage, sizeof v4);
        std::memcpy(address.bytes.data(), &v4.sin_addr.s_addr, 4);
    }
    return address;
}

std::int32_t PortOf(const SocketAddress& record) {
    // The port is at the same place in both families' records.
    sockaddr_in v4{};
    std::memcpy(&v4, &record.storage, sizeof v4);
    return MSocketSupport::ToUnsigned16(static_cast<std::int16_t>(ntohs(v4.sin_port)));
}

std::int32_t IntOption(SOCKET handle, int option, std::int32_t fallback) {
    int value = 0;
    int length = sizeof value;
    if (getsockopt(handle, SOL_SOCKET, option, reinterpret_cast<char*>(&value), &length) != 0)
        return fallback;
    return value;
}

std::string NameOfAddress(const HostAddress& address, const std::string& fallback) {
    if (address.family != AF_INET) return fallback;
    const hostent* entry =
        gethostbyaddr(reinterpret_cast<const char*>(address.bytes.data()), 4, AF_INET);
    return entry != nullptr && entry->h_name != nullptr ? std::string(entry->h_name) : fallback;
}

}  // namespace netpull
