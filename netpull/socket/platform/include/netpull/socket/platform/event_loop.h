// The loop that drives the socket layer on the host's thread: it watches descriptors with
// poll, turns readiness into posted messages through the watchers' callbacks, and delivers
// the pending messages. A host watches one descriptor that is readable whenever the loop has
// work and then calls PumpOnce; the pump used by blocking waits can be replaced by the host.
#pragma once

#include <poll.h>
#include <functional>

namespace netpull::platform {

using ReadyCallback = std::function<void(int descriptor, short revents)>;

// Watches a descriptor for the poll events given (0 stops watching it). A descriptor keeps the
// callback it was first watched with until it is unwatched. A callback may change any watch,
// its own included.
void WatchDescriptor(int descriptor, short events, ReadyCallback callback);
void UnwatchDescriptor(int descriptor);

// Runs once at every pump after the watched descriptors, for work driven by time.
void SetTimerWork(std::function<void()> work);
// Makes the loop's descriptor readable after the given delay (-1 disarms).
void ArmTimer(int milliseconds);

// Polls the watched descriptors without waiting, runs the callbacks of the ready ones and the
// timer work, then delivers every message pending at that moment.
void PumpOnce();

// Waits up to timeoutMs (-1 forever) until the loop has work, then pumps once.
void WaitAndPump(int timeoutMs);

// The descriptor that is readable whenever the loop has work.
int LoopDescriptor();

// The host's message pump used by the socket layer's waits; PumpOnce unless replaced.
void SetHostPump(std::function<void()> pump);
void HostPump();

}  // namespace netpull::platform
