// Looking a host name up for both address families with c-ares in the socket layer's loop, no
// threads; the Windows Sockets side lays the answer out as Windows does.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "posix_sockets.h"

namespace netpull::platform {

// The answer of one lookup: the Windows Sockets error (0 when addresses were found), the
// host's canonical name, and its addresses in the order the resolver gave them (port 0).
using LookupDone = std::function<void(int error, const std::string& canonicalName,
                                      const std::vector<posix::Endpoint>& addresses)>;

// Starts a lookup whose answer comes once, from the loop or from inside this call when it is
// known at once (a name from the hosts file), or with WSA_E_CANCELLED when the resolver shuts
// down first. False when the resolver cannot start.
bool StartLookup(const std::string& name, LookupDone done);

}  // namespace netpull::platform
