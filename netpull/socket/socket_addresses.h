// The IPv4 and IPv6 addresses and socket options of the socket object, over the Windows
// Sockets calls: reading and writing address text and records, the ends of a socket, names.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "netpull/socket/windows_sockets.h"

namespace netpull {

// One address of a host, in network byte order.
struct HostAddress {
    int family = AF_INET;                  // AF_INET or AF_INET6
    std::array<std::uint8_t, 16> bytes{};  // the first four for IPv4
    std::uint32_t scope = 0;               // IPv6

    bool operator==(const HostAddress&) const = default;
};

// The address that text gives: dotted IPv4 as inet_addr reads it (also its short forms), or
// IPv6 as RFC 4291 writes it; nothing for a name.
std::optional<HostAddress> AddressOfText(const std::string& text);
std::string TextOf(const HostAddress& address);

// A socket address record of either family, with its length.
struct SocketAddress {
    sockaddr_storage storage{};
    int length = sizeof storage;

    const sockaddr* Get() const { return reinterpret_cast<const sockaddr*>(&storage); }
    sockaddr* Get() { return reinterpret_cast<sockaddr*>(&storage); }
};

// The record of an address and a port of 0 to 65535 (an overflow error outside).
SocketAddress RecordOf(const HostAddress& address, std::int32_t port);
HostAddress AddressOf(const SocketAddress& record);
std::int32_t PortOf(const SocketAddress& record);

// The socket's local (getsockname) or remote (getpeername) end; false when the call fails.
template <typename Call>
bool EndOf(SOCKET handle, Call call, SocketAddress& record) {
    record.length = sizeof record.storage;
    return call(handle, record.Get(), &record.length) == 0;
}

// An int option at socket level, or the fallback when it cannot be read.
std::int32_t IntOption(SOCKET handle, int option, std::int32_t fallback);

// The registered name of an IPv4 address, or the fallback (at once for IPv6); blocks while it
// is looked up.
std::string NameOfAddress(const HostAddress& address, const std::string& fallback);

}  // namespace netpull
