// The host entry that an asynchronous resolution writes into the caller's buffer, laid out by
// the Windows Sockets side so that the resolver's own headers never meet its hostent.
#pragma once

#include <cstdint>

namespace netpull::platform {

// Lays out the entry, its name, an empty alias list and a one-address list, every pointer
// pointing inside the buffer. False when it does not fit.
bool WriteHostEntry(const char* name, std::uint32_t networkAddress, char* buffer, int bufferLength);

}  // namespace netpull::platform
