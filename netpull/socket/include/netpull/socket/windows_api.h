// The Windows interface that the socket layer and the code above it are written against:
// its types, window messages and timers. On Linux it is our stand-in of that interface.
#pragma once

#include "netpull/socket/platform/message_queue.h"
#include "netpull/socket/platform/win_types.h"
