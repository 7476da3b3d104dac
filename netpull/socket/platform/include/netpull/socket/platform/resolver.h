// The settings of the stand-in's resolver, which answers GetAddrInfoExW with c-ares in the
// socket layer's loop: tests choose its name servers and how long a query waits.
#pragma once

#include <string>

namespace netpull::platform {

// Sends the queries of names that are not in the hosts file to these servers ("ip:port,..."),
// instead of the system's; tests keep every query on loopback with it.
void UseNameServers(const std::string& servers);

// How long each query waits for an answer (3 s), for the channels started afterwards;
// tests shorten it.
void UseQueryTimeout(int milliseconds);

// Ends every pending lookup with WSA_E_CANCELLED and releases c-ares.
void ShutDownResolver();

}  // namespace netpull::platform
