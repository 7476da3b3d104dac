// The loop that drives the socket layer on the host's thread.
#include "netpull/socket/platform/event_loop.h"

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "netpull/socket/platform/message_queue.h"

namespace netpull::platform {
namespace {

void MessagePosted();

struct Watch {
    short events;       // what poll watches
    short inEpoll = 0;  // what the epoll set holds for it
    std::shared_ptr<ReadyCallback> callback;
};

// The poll set is the truth; the epoll set mirrors it only so that one descriptor can tell
// a host when there is work. Inside a pump the mirror is brought up to date once, at the
// end: an event that is disabled and enabled again during one pump costs nothing.
using Clock = std::chrono::steady_clock;

struct Timer {
    std::chrono::milliseconds interval;
    Clock::time_point due;
    TIMERPROC procedure;
};

struct Loop {
    std::map<int, Watch> watches;
    std::map<UINT_PTR, Timer> timers;
    UINT_PTR nextTimer = 1;
    std::optional<Clock::time_point> timerWorkDue;
    std::function<void()> timerWork;
    std::function<void()> hostPump;
    int epoll = epoll_create1(EPOLL_CLOEXEC);
    int timer = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    int wake = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);  // readable while messages wait
    bool timerArmed = false;
    Clock::time_point timerDue;
    bool wakeSignalled = false;
    int pumpDepth = 0;

    Loop() {
        AddToEpoll(wake, EPOLLIN);
        AddToEpoll(timer, EPOLLIN);
        SetPostObserver(&MessagePosted);
    }
    ~Loop() {
        close(wake);
        close(timer);
        close(epoll);
    }
    void SetWake(bool on) {
        if (on == wakeSignalled) return;
        std::uint64_t value = 1;
        [[maybe_unused]] const auto done =
            on ? write(wake, &value, sizeof value) : read(wake, &value, sizeof value);
        wakeSignalled = on;
    }
    void SyncEpoll(int descriptor, Watch& watch);
    void AddToEpoll(int descriptor, std::uint32_t events) {
        epoll_event e{};
        e.events = events;
        e.data.fd = descriptor;
        epoll_ctl(epoll, EPOLL_CTL_ADD, descriptor, &e);
    }
};

Loop& TheLoop() {
    static Loop loop;
    return loop;
}

// Messages posted outside a pump wake the host at once; inside one, the pump's end does.
void MessagePosted() {
    Loop& loop = TheLoop();
    if (loop.pumpDepth == 0) loop.SetWake(true);
}

std::uint32_t EpollEvents(short events);

void Loop::SyncEpoll(int descriptor, Watch& watch) {
    if (watch.inEpoll == watch.events) return;
    epoll_event e{};
    e.events = EpollEvents(watch.events);
    e.data.fd = descriptor;
    epoll_ctl(epoll, watch.inEpoll == 0 ? EPOLL_CTL_ADD : EPOLL_CTL_MOD, descriptor, &e);
    watch.inEpoll = watch.events;
}

void SyncAllEpoll() {
    Loop& loop = TheLoop();
    for (auto& [descriptor, watch] : loop.watches) loop.SyncEpoll(descriptor, watch);
}

std::uint32_t EpollEvents(short events) {
    std::uint32_t e = 0;
    if (events & POLLIN) e |= EPOLLIN;
    if (events & POLLOUT) e |= EPOLLOUT;
    if (events & POLLRDHUP) e |= EPOLLRDHUP;
    return e;
}

void RunReadyCallbacks(const std::vector<pollfd>& set) {
    Loop& loop = TheLoop();
    for (const pollfd& p : set) {
        if (p.revents == 0) continue;
        // A callback may have dropped or replaced this watch: look it up again each time.
        const auto found = loop.watches.find(p.fd);
        if (found == loop.watches.end()) continue;
        const std::shared_ptr<ReadyCallback> callback = found->second.callback;
        (*callback)(p.fd, p.revents);
    }
}

void PollWatches() {
    Loop& loop = TheLoop();
    std::vector<pollfd> set;
    set.reserve(loop.watches.size());
    for (const auto& [descriptor, watch] : loop.watches)
        set.push_back({descriptor, watch.events, 0});
    if (set.empty() || poll(set.data(), set.size(), 0) <= 0) return;
    RunReadyCallbacks(set);
}

short PollEvents(std::uint32_t e) {
    short events = 0;
    if (e & EPOLLIN) events |= POLLIN;
    if (e & EPOLLOUT) events |= POLLOUT;
    if (e & EPOLLRDHUP) events |= POLLRDHUP;
    if (e & EPOLLERR) events |= POLLERR;
    if (e & EPOLLHUP) events |= POLLHUP;
    return events;
}

}  // namespace

void WatchDescriptor(int descriptor, short events, ReadyCallback callback) {
    if (events == 0) return UnwatchDescriptor(descriptor);
    Loop& loop = TheLoop();
    auto found = loop.watches.find(descriptor);
    if (found == loop.watches.end())
        found = loop.watches
                    .emplace(descriptor,
                             Watch{0, 0, std::make_shared<ReadyCallback>(std::move(callback))})
                    .first;
    found->second.events = events;
    if (loop.pumpDepth == 0) loop.SyncEpoll(descriptor, found->second);
}

void UnwatchDescriptor(int descriptor) {
    Loop& loop = TheLoop();
    const auto found = loop.watches.find(descriptor);
    if (found == loop.watches.end()) return;
    if (found->second.inEpoll != 0) epoll_ctl(loop.epoll, EPOLL_CTL_DEL, descriptor, nullptr);
    loop.watches.erase(found);
}

void SetTimerWork(std::function<void()> work) {
    TheLoop().timerWork = std::move(work);
}

// The loop's timer descriptor fires at the earliest of the timer work's wake-up and the timers.
void RearmTimerDescriptor() {
    Loop& loop = TheLoop();
    std::optional<Clock::time_point> due = loop.timerWorkDue;
    for (const auto& [id, timer] : loop.timers)
        if (!due || timer.due < *due) due = timer.due;
    itimerspec setting{};
    if (due) {
        const auto wait =
            std::chrono::duration_cast<std::chrono::nanoseconds>(*due - Clock::now()).count();
        // A zero value would disarm the timer: wake after at least one microsecond.
        const long total = std::max<long>(static_cast<long>(wait), 1000L);
        setting.it_value.tv_sec = total / 1000000000L;
        setting.it_value.tv_nsec = total % 1000000000L;
    }
    timerfd_settime(loop.timer, 0, &setting, nullptr);
    loop.timerArmed = due.has_value();
    if (due) loop.timerDue = *due;
}

void ArmTimer(int milliseconds) {
    Loop& loop = TheLoop();
    if (milliseconds >= 0)
        loop.timerWorkDue = Clock::now() + std::chrono::milliseconds(milliseconds);
    else
        loop.timerWorkDue.reset();
    RearmTimerDescriptor();
}

namespace {

// Runs the timers that are due and re-arms the timer descriptor after them.
void RunDueTimers() {
    Loop& loop = TheLoop();
    const Clock::time_point now = Clock::now();
    std::vector<UINT_PTR> due;
    for (const auto& [id, timer] : loop.timers)
        if (timer.due <= now) due.push_back(id);
    if (due.empty()) return;
    for (const UINT_PTR id : due) {
        // An earlier procedure may have killed this timer.
        const auto found = loop.timers.find(id);
        if (found == loop.timers.end()) continue;
        found->second.due = now + found->second.interval;
        found->second.procedure(nullptr, WM_TIMER, id, GetTickCount());
    }
    RearmTimerDescriptor();
}

}  // namespace

namespace {

// One pump, with the descriptors found ready by a wait that just ran, or polled here.
void Pump(const std::vector<pollfd>* ready) {
    Loop& loop = TheLoop();
    ++loop.pumpDepth;
    // The timer descriptor is read only once it has fired: no system call at every pump.
    if (loop.timerArmed && Clock::now() >= loop.timerDue) {
        std::uint64_t expirations = 0;
        [[maybe_unused]] const auto read = ::read(loop.timer, &expirations, sizeof expirations);
    }
    if (ready != nullptr)
        RunReadyCallbacks(*ready);
    else
        PollWatches();
    if (loop.timerWork) {
        const std::function<void()> work = loop.timerWork;
        work();
    }
    RunDueTimers();
    DispatchPendingMessages();
    if (--loop.pumpDepth == 0) {
        SyncAllEpoll();
        loop.SetWake(HasPendingMessages());
    }
}

}  // namespace

void PumpOnce() {
    Pump(nullptr);
}

// Outside any pump the epoll set mirrors the watches exactly, so what the wait found ready is
// what a poll would find: the pump uses it instead of polling again.
void WaitAndPump(int timeoutMs) {
    Loop& loop = TheLoop();
    if (loop.pumpDepth > 0) {
        epoll_event event{};
        epoll_wait(loop.epoll, &event, 1, timeoutMs);
        return PumpOnce();
    }
    std::array<epoll_event, 64> events{};
    const int n = epoll_wait(loop.epoll, events.data(), static_cast<int>(events.size()), timeoutMs);
    std::vector<pollfd> ready;
    for (int i = 0; i < n; ++i) {
        const int descriptor = events[static_cast<std::size_t>(i)].data.fd;
        const auto found = loop.watches.find(descriptor);
        if (found == loop.watches.end()) continue;
        ready.push_back({descriptor, found->second.events,
                         PollEvents(events[static_cast<std::size_t>(i)].events)});
    }
    Pump(&ready);
}

int LoopDescriptor() {
    return TheLoop().epoll;
}

void SetHostPump(std::function<void()> pump) {
    TheLoop().hostPump = std::move(pump);
}

void HostPump() {
    Loop& loop = TheLoop();
    if (!loop.hostPump) return PumpOnce();
    const std::function<void()> pump = loop.hostPump;
    pump();
}

}  // namespace netpull::platform

// The Windows calls of the loop, in the global namespace as Windows has them.
using namespace netpull::platform;

UINT_PTR SetTimer(HWND, UINT_PTR, UINT elapse, TIMERPROC procedure) {
    if (procedure == nullptr) return 0;
    Loop& loop = TheLoop();
    const UINT_PTR id = loop.nextTimer++;
    const std::chrono::milliseconds interval(std::max<UINT>(elapse, 10));
    loop.timers.emplace(id, Timer{interval, Clock::now() + interval, procedure});
    RearmTimerDescriptor();
    return id;
}

BOOL KillTimer(HWND, UINT_PTR idEvent) {
    const bool killed = TheLoop().timers.erase(idEvent) == 1;
    if (killed) RearmTimerDescriptor();
    return killed ? 1 : 0;
}

DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE*, BOOL, DWORD milliseconds, DWORD) {
    Loop& loop = TheLoop();
    // Inside a pump, posted messages do not signal the wake-up and the mirror lags: look at the
    // queue itself and bring the mirror up to date before waiting.
    if (HasPendingMessages()) return WAIT_OBJECT_0 + count;
    SyncAllEpoll();
    int timeout =
        milliseconds == INFINITE ? -1 : static_cast<int>(std::min<DWORD>(milliseconds, 0x7FFFFFFF));
    // A host's own input does not come through this loop: wake often enough to serve it.
    constexpr int kHostInputWait = 20;
    if (loop.hostPump && (timeout < 0 || timeout > kHostInputWait)) timeout = kHostInputWait;
    epoll_event event{};
    return epoll_wait(loop.epoll, &event, 1, timeout) > 0 ? WAIT_OBJECT_0 + count : WAIT_TIMEOUT;
}

DWORD GetTickCount() {
    const auto now = Clock::now().time_since_epoch();
    return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}
