// The loop that drives the socket layer on the host's thread, as a host sees it: the pump to
// call when there is work, the pump hook that the socket layer's blocking waits use, and the
// millisecond tick count its times are read from. On Windows the work is the thread's message
// queue; on Linux a host also watches a descriptor that is readable whenever there is work.
#pragma once

#include <cstdint>
#include <functional>

namespace netpull::loop {

#ifndef _WIN32
int Descriptor();
#endif
// Delivers what is ready now: socket events, timers and posted messages.
void PumpOnce();
// Replaces the pump that blocking waits call (PumpOnce when none is set); a host whose own
// loop must keep running, such as Qt's, pumps both.
void SetHostPump(std::function<void()> pump);
void HostPump();
std::uint32_t TickCount();

}  // namespace netpull::loop
