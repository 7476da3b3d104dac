// The IPv4 address records and socket options of the socket object, over the Windows Sockets
// calls: building and reading sockaddr_in, the ends of a socket, names of addresses.
#pragma once

#include <cstdint>
#include <string>

#include "netpull/socket/windows_sockets.h"

namespace netpull {

// A record for an address in network byte order and a port of 0 to 65535 (an overflow error
// outside).
sockaddr_in AddressRecord(std::uint32_t address, std::int32_t port);
inline const sockaddr* AsAddress(const sockaddr_in& record) {
    return reinterpret_cast<const sockaddr*>(&record);
}
std::int32_t PortOf(const sockaddr_in& record);

// The socket's local (getsockname) or remote (getpeername) end; false when the call fails.
template <typename Call>
bool EndOf(SOCKET handle, Call call, sockaddr_in& record) {
    int length = sizeof record;
    return call(handle, reinterpret_cast<sockaddr*>(&record), &length) == 0;
}

// An int option at socket level, or the fallback when it cannot be read.
std::int32_t IntOption(SOCKET handle, int option, std::int32_t fallback);

std::string DottedText(std::uint32_t address);
// The registered name of an address, or the fallback; blocks while it is looked up.
std::string NameOfAddress(std::uint32_t address, const std::string& fallback);

}  // namespace netpull
