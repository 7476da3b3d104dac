// The loop that drives the socket layer on the host's thread.
#include "netpull/socket/platform/event_loop.h"

#include <sys/epoll.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <vector>

#include "netpull/socket/platform/message_queue.h"

namespace netpull::platform {
namespace {

struct Watch {
    short events;
    std::shared_ptr<ReadyCallback> callback;
};

// The poll set is the truth; the epoll set mirrors it only so that one descriptor can tell
// a host when there is work.
struct Loop {
    std::map<int, Watch> watches;
    std::function<void()> timerWork;
    std::function<void()> hostPump;
    int epoll = epoll_create1(EPOLL_CLOEXEC);
    int timer = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);

    Loop() {
        AddToEpoll(MessageWakeDescriptor(), EPOLLIN);
        AddToEpoll(timer, EPOLLIN);
    }
    ~Loop() {
        close(timer);
        close(epoll);
    }
    void AddToEpoll(int descriptor, std::uint32_t events) {
        epoll_event e{};
        e.events = events;
        e.data.fd = descriptor;
        if (epoll_ctl(epoll, EPOLL_CTL_MOD, descriptor, &e) != 0)
            epoll_ctl(epoll, EPOLL_CTL_ADD, descriptor, &e);
    }
};

Loop& TheLoop() {
    static Loop loop;
    return loop;
}

std::uint32_t EpollEvents(short events) {
    std::uint32_t e = 0;
    if (events & POLLIN) e |= EPOLLIN;
    if (events & POLLOUT) e |= EPOLLOUT;
    if (events & POLLRDHUP) e |= EPOLLRDHUP;
    return e;
}

void PollWatches() {
    Loop& loop = TheLoop();
    std::vector<pollfd> set;
    set.reserve(loop.watches.size());
    for (const auto& [descriptor, watch] : loop.watches) set.push_back({descriptor, watch.events, 0});
    if (set.empty() || poll(set.data(), set.size(), 0) <= 0) return;
    for (const pollfd& p : set) {
        if (p.revents == 0) continue;
        // A callback may have dropped or replaced this watch: look it up again each time.
        const auto found = loop.watches.find(p.fd);
        if (found == loop.watches.end()) continue;
        const std::shared_ptr<ReadyCallback> callback = found->second.callback;
        (*callback)(p.fd, p.revents);
    }
}

}  // namespace

void WatchDescriptor(int descriptor, short events, ReadyCallback callback) {
    if (events == 0) return UnwatchDescriptor(descriptor);
    Loop& loop = TheLoop();
    loop.watches[descriptor] = {events, std::make_shared<ReadyCallback>(std::move(callback))};
    loop.AddToEpoll(descriptor, EpollEvents(events));
}

void UnwatchDescriptor(int descriptor) {
    Loop& loop = TheLoop();
    if (loop.watches.erase(descriptor) == 1) epoll_ctl(loop.epoll, EPOLL_CTL_DEL, descriptor, nullptr);
}

void SetTimerWork(std::function<void()> work) { TheLoop().timerWork = std::move(work); }

void ArmTimer(int milliseconds) {
    itimerspec spec{};
    if (milliseconds >= 0) {
        // A zero value would disarm the timer: wake after at least one microsecond.
        const long total = static_cast<long>(milliseconds) * 1000000L + 1000L;
        spec.it_value.tv_sec = total / 1000000000L;
        spec.it_value.tv_nsec = total % 1000000000L;
    }
    timerfd_settime(TheLoop().timer, 0, &spec, nullptr);
}

void PumpOnce() {
    Loop& loop = TheLoop();
    std::uint64_t expirations = 0;
    [[maybe_unused]] const auto read = ::read(loop.timer, &expirations, sizeof expirations);
    PollWatches();
    if (loop.timerWork) {
        const std::function<void()> work = loop.timerWork;
        work();
    }
    DispatchPendingMessages();
}

void WaitAndPump(int timeoutMs) {
    epoll_event event{};
    epoll_wait(TheLoop().epoll, &event, 1, timeoutMs);
    PumpOnce();
}

int LoopDescriptor() { return TheLoop().epoll; }

void SetHostPump(std::function<void()> pump) { TheLoop().hostPump = std::move(pump); }

void HostPump() {
    Loop& loop = TheLoop();
    if (!loop.hostPump) return PumpOnce();
    const std::function<void()> pump = loop.hostPump;
    pump();
}

}  // namespace netpull::platform
