// Asynchronous host-name resolution with c-ares in the socket layer's loop, no threads: the
// result is written as a host entry into the caller's buffer and posted as a message.
#pragma once

#include <string>
#include <string_view>

#include "netpull/socket/platform/win_types.h"

namespace netpull::platform {

HANDLE StartResolution(HWND window, UINT message, std::string_view name, char* buffer,
                       int bufferLength);
bool CancelResolution(HANDLE request);
// Sends the queries of names that are not in the hosts file to these servers ("ip:port,..."),
// instead of the system's; tests keep every query on loopback with it.
void UseNameServers(const std::string& servers);

// How long each query waits for an answer (3 s), for the channels started afterwards;
// tests shorten it.
void UseQueryTimeout(int milliseconds);

// Forgets every pending request and releases c-ares.
void ShutDownResolver();

}  // namespace netpull::platform
