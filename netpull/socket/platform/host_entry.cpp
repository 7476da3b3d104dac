// The host entry of an asynchronous resolution, in the caller's buffer.
#include "host_entry.h"

#include <cstring>

#include "netpull/socket/platform/winsock.h"

namespace netpull::platform {

bool WriteHostEntry(const char* name, std::uint32_t networkAddress, char* buffer,
                    int bufferLength) {
    const std::size_t nameLength = std::strlen(name) + 1;
    const std::size_t needed = sizeof(hostent) + 3 * sizeof(char*) + 4 + nameLength;
    if (buffer == nullptr || needed > static_cast<std::size_t>(bufferLength)) return false;
    auto* entry = reinterpret_cast<hostent*>(buffer);
    auto** pointers = reinterpret_cast<char**>(buffer + sizeof(hostent));
    char* address = buffer + sizeof(hostent) + 3 * sizeof(char*);
    char* copy = address + 4;
    std::memcpy(address, &networkAddress, 4);
    std::memcpy(copy, name, nameLength);
    pointers[0] = nullptr;  // aliases
    pointers[1] = address;  // first address
    pointers[2] = nullptr;
    *entry = hostent{copy, pointers, AF_INET, 4, pointers + 1};
    return true;
}

}  // namespace netpull::platform
