// The IPv4 address records and socket options of the socket object.
#include "socket_addresses.h"

#include "netpull/socket/socket_support.h"

namespace netpull {

sockaddr_in AddressRecord(std::uint32_t address, std::int32_t port) {
    sockaddr_in record{};
    record.sin_family = AF_INET;
    record.sin_port = htons(static_cast<std::uint16_t>(MSocketSupport::ToSigned16(port)));
    record.sin_addr.s_addr = address;
    return record;
}

std::int32_t PortOf(const sockaddr_in& record) {
    return MSocketSupport::ToUnsigned16(static_cast<std::int16_t>(ntohs(record.sin_port)));
}

std::int32_t IntOption(SOCKET handle, int option, std::int32_t fallback) {
    int value = 0;
    int length = sizeof value;
    if (getsockopt(handle, SOL_SOCKET, option, reinterpret_cast<char*>(&value), &length) != 0)
        return fallback;
    return value;
}

std::string DottedText(std::uint32_t address) {
    in_addr value{};
    value.s_addr = address;
    return inet_ntoa(value);
}

std::string NameOfAddress(std::uint32_t address, const std::string& fallback) {
    const hostent* entry = gethostbyaddr(reinterpret_cast<const char*>(&address), 4, AF_INET);
    return entry != nullptr && entry->h_name != nullptr ? std::string(entry->h_name) : fallback;
}

}  // namespace netpull
