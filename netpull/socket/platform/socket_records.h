// The Windows Sockets address records of the stand-in's ends, both ways, for the socket calls
// and the lookups.
#pragma once

#include "netpull/socket/platform/winsock.h"
#include "posix_sockets.h"

namespace netpull::platform {

// The record of an end and its length, in room for any family.
int WriteRecord(const posix::Endpoint& end, sockaddr_storage* record);

// The end of a record given with its length: false with WSAEFAULT when the record is short,
// WSAEAFNOSUPPORT when its family is neither IPv4 nor IPv6.
bool ReadRecord(const sockaddr* name, int length, posix::Endpoint* end);

}  // namespace netpull::platform
