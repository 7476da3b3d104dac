// The Windows Sockets calls, structures and constants, IPv6 and the address lookup included:
// winsock2.h and ws2tcpip.h on Windows, the stand-in's on Linux. Their names are those of the
// POSIX socket headers too, so on Linux a file that includes this one includes none of those.
#pragma once

#include "netpull/socket/windows_api.h"

#ifdef _WIN32
#include <ws2tcpip.h>
#else
#include "netpull/socket/platform/winsock.h"
#endif
