// The system socket behind a stand-in socket handle, for the Linux tests that act on the
// system socket directly (send queues, descriptor limits).
#pragma once

#include "netpull/socket/platform/win_types.h"

namespace netpull::platform {

// -1 when the handle is unknown.
int DescriptorOf(SOCKET s);

}  // namespace netpull::platform
