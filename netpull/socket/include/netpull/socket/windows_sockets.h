// The Windows Sockets 1.1 calls, structures and constants: winsock2.h on Windows, the
// stand-in's on Linux. Their names are those of the POSIX socket headers too, so on Linux a
// file that includes this one includes none of those.
#pragma once

#include "netpull/socket/windows_api.h"

#ifndef _WIN32
#include "netpull/socket/platform/winsock.h"
#endif
