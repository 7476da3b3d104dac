// The socket layer's loop as a host sees it, over the stand-in's event loop.
#include "netpull/socket/socket_loop.h"

#include "netpull/socket/platform/event_loop.h"
#include "netpull/socket/platform/message_queue.h"

namespace netpull::loop {

int Descriptor() {
    return platform::LoopDescriptor();
}

void PumpOnce() {
    platform::PumpOnce();
}

void SetHostPump(std::function<void()> pump) {
    platform::SetHostPump(std::move(pump));
}

void HostPump() {
    platform::HostPump();
}

std::uint32_t TickCount() {
    return GetTickCount();
}

}  // namespace netpull::loop
