// The Windows interface that the socket layer and the code above it are written against:
// user32's types, messages and timers, and the types and constants of Windows Sockets that
// have no POSIX namesake. On Windows it is the real one; on Linux it is our stand-in of it.
// The socket calls themselves are in windows_sockets.h.
#pragma once

#ifdef _WIN32
// No min and max macros: they would break std::min and std::max in every file.
#ifndef NOMINMAX
#define NOMINMAX
#endif
// winsock2.h first, in a block of its own so that sorting keeps the order: windows.h would
// otherwise bring the older winsock.h.
#include <winsock2.h>

#include <windows.h>
#else
#include "netpull/socket/platform/message_queue.h"
#include "netpull/socket/platform/win_types.h"
#endif
