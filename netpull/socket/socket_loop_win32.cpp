// The socket layer's loop as a host sees it, over the thread's Windows message queue.
#include "netpull/socket/socket_loop.h"

#include "netpull/socket/windows_api.h"

namespace netpull::loop {
namespace {

// At most this many messages per pump, so that a handler that posts at every message cannot
// hold a pump for ever.
constexpr int kMessagesPerPump = 256;

std::function<void()>& ReplacedPump() {
    static std::function<void()> pump;
    return pump;
}

}  // namespace

// A quit message is the host's: it is posted again for the host's own loop to see.
void PumpOnce() {
    MSG message;
    for (int i = 0; i < kMessagesPerPump && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE); ++i) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void SetHostPump(std::function<void()> pump) {
    ReplacedPump() = std::move(pump);
}

void HostPump() {
    if (!ReplacedPump()) return PumpOnce();
    const std::function<void()> pump = ReplacedPump();
    pump();
}

std::uint32_t TickCount() {
    return GetTickCount();
}

}  // namespace netpull::loop
