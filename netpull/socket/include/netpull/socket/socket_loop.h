// The loop that drives the socket layer on the host's thread, as a host sees it: a descriptor
// that is readable whenever the loop has work, the pump to call then, the pump hook that the
// socket layer's blocking waits use, and the millisecond tick count its times are read from.
#pragma once

#include <cstdint>
#include <functional>

namespace netpull::loop {

int Descriptor();
// Delivers what is ready now: socket events, timers and posted messages.
void PumpOnce();
// Replaces the pump that blocking waits call (PumpOnce when none is set); a host whose own
// loop must keep running, such as Qt's, pumps both.
void SetHostPump(std::function<void()> pump);
void HostPump();
std::uint32_t TickCount();

}  // namespace netpull::loop
