// The sockets that the stand-in knows, and Windows' rules for posting network events.
#include "socket_table.h"

#include <sys/ioctl.h>
#include <sys/socket.h>

#include <map>
#include <vector>

#include "errors.h"
#include "netpull/socket/platform/event_loop.h"
#include "netpull/socket/platform/message_queue.h"

namespace netpull::platform::table {
namespace {

struct Record {
    int descriptor;
    Phase phase;
    HWND window = nullptr;
    UINT message = 0;
    long mask = 0;
    bool readEnabled = true;
    bool writeEnabled = true;
    bool acceptEnabled = true;
    bool closePosted = false;
    int connectError = 0;  // a failure that connect() met at once
};

// Handles are multiples of four from 0x100, and the last one freed is the first one given
// again, as Windows' handle table does: a notification left over from a closed socket may
// name the socket that replaced it.
struct Table {
    std::map<SOCKET, Record> records;
    std::vector<SOCKET> freed;
    SOCKET next = 0x100;
};

Table& TheTable() {
    static Table table;
    return table;
}

Record* Find(SOCKET s) {
    const auto found = TheTable().records.find(s);
    return found == TheTable().records.end() ? nullptr : &found->second;
}

int WsaErrorFromErrnoOrZero(int errnoValue) {
    return errnoValue == 0 ? 0 : WsaErrorFromErrno(errnoValue);
}

int PendingError(int descriptor) {
    int error = 0;
    socklen_t length = sizeof error;
    getsockopt(descriptor, SOL_SOCKET, SO_ERROR, &error, &length);
    return error;
}

bool HasData(int descriptor) {
    int available = 0;
    return ioctl(descriptor, FIONREAD, &available) == 0 && available > 0;
}

void Post(const Record& r, SOCKET s, long event, int error) {
    if (r.mask & event)
        PostMessageA(r.window, r.message, static_cast<WPARAM>(s), WSAMAKESELECTREPLY(event, error));
}

short WantedEvents(const Record& r) {
    if (r.window == nullptr || r.mask == 0) return 0;
    switch (r.phase) {
        case Phase::Connecting:
            return POLLOUT;
        case Phase::Listening:
            return r.acceptEnabled ? POLLIN : 0;
        case Phase::Connected:
            if (r.closePosted) return 0;
            return static_cast<short>((r.readEnabled ? POLLIN : 0) |
                                      (r.writeEnabled ? POLLOUT : 0) | POLLRDHUP);
        case Phase::Datagram:
            return static_cast<short>((r.readEnabled ? POLLIN : 0) |
                                      (r.writeEnabled ? POLLOUT : 0));
        case Phase::Created:
        case Phase::Failed:
            break;
    }
    return 0;
}

void OnReady(SOCKET s, short revents);

void UpdateWatch(SOCKET s) {
    const Record* r = Find(s);
    if (r == nullptr) return;
    WatchDescriptor(r->descriptor, WantedEvents(*r),
                    [s](int, short revents) { OnReady(s, revents); });
}

void ConnectFinished(SOCKET s, Record& r) {
    const int error =
        r.connectError != 0 ? r.connectError : WsaErrorFromErrnoOrZero(PendingError(r.descriptor));
    r.phase = error == 0 ? Phase::Connected : Phase::Failed;
    r.writeEnabled = error == 0;
    Post(r, s, FD_CONNECT, error);
}

void ConnectedReady(SOCKET s, Record& r, short revents) {
    const bool stream = r.phase == Phase::Connected;
    // Past the peer's close, readable may mean only the end of the stream: ask for data then.
    const bool peerClosed = (revents & (POLLRDHUP | POLLHUP)) != 0;
    // A datagram socket's pending error (an ICMP port unreachable) is reported as Windows does:
    // as one read notification, whose read then fails.
    const bool datagramError = !stream && (revents & POLLERR);
    if ((revents & POLLIN || datagramError) && r.readEnabled &&
        (!stream || !peerClosed || HasData(r.descriptor))) {
        r.readEnabled = false;
        Post(r, s, FD_READ, 0);
    }
    if ((revents & POLLOUT) && r.writeEnabled) {
        r.writeEnabled = false;
        Post(r, s, FD_WRITE, 0);
    }
    if (stream && !r.closePosted && (revents & (POLLRDHUP | POLLHUP | POLLERR))) {
        r.closePosted = true;
        // A graceful close reports 0; a reset or an abort its number.
        Post(r, s, FD_CLOSE, WsaErrorFromErrnoOrZero(PendingError(r.descriptor)));
    }
}

void OnReady(SOCKET s, short revents) {
    Record* r = Find(s);
    if (r == nullptr) return;
    switch (r->phase) {
        case Phase::Connecting:
            ConnectFinished(s, *r);
            break;
        case Phase::Listening:
            if ((revents & POLLIN) && r->acceptEnabled) {
                r->acceptEnabled = false;
                Post(*r, s, FD_ACCEPT, 0);
            }
            break;
        case Phase::Connected:
        case Phase::Datagram:
            ConnectedReady(s, *r, revents);
            break;
        case Phase::Created:
        case Phase::Failed:
            break;
    }
    UpdateWatch(s);
}

}  // namespace

namespace {

// Timers that re-enable the accept notification of a listener after a pause.
std::map<UINT_PTR, SOCKET>& PausedAccepts() {
    static std::map<UINT_PTR, SOCKET> paused;
    return paused;
}

void ResumeAccept(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(0, timer);
    const auto found = PausedAccepts().find(timer);
    if (found == PausedAccepts().end()) return;
    const SOCKET s = found->second;
    PausedAccepts().erase(found);
    Reenable(s, FD_ACCEPT);
}

}  // namespace

SOCKET Add(int descriptor, Phase phase) {
    Table& t = TheTable();
    SOCKET s = t.next;
    if (t.freed.empty()) {
        t.next += 4;
    } else {
        s = t.freed.back();
        t.freed.pop_back();
    }
    t.records.emplace(s, Record{descriptor, phase});
    return s;
}

SOCKET AddAccepted(SOCKET listener, int descriptor) {
    const SOCKET s = Add(descriptor, Phase::Connected);
    if (const Record* from = Find(listener)) {
        Record& r = *Find(s);
        r.window = from->window;
        r.message = from->message;
        r.mask = from->mask;
        UpdateWatch(s);
    }
    return s;
}

int Remove(SOCKET s) {
    Record* r = Find(s);
    if (r == nullptr) return -1;
    std::erase_if(PausedAccepts(), [s](const auto& entry) { return entry.second == s; });
    const int descriptor = r->descriptor;
    UnwatchDescriptor(descriptor);
    TheTable().records.erase(s);
    TheTable().freed.push_back(s);
    return descriptor;
}

int Descriptor(SOCKET s) {
    const Record* r = Find(s);
    return r == nullptr ? -1 : r->descriptor;
}

bool IsStream(SOCKET s) {
    const Record* r = Find(s);
    return r != nullptr && r->phase != Phase::Datagram;
}

void SetPhase(SOCKET s, Phase phase) {
    if (Record* r = Find(s)) {
        r->phase = phase;
        UpdateWatch(s);
    }
}

void ConnectStarted(SOCKET s, int immediateError) {
    if (Record* r = Find(s)) {
        r->connectError = immediateError;
        SetPhase(s, Phase::Connecting);
    }
}

int Select(SOCKET s, HWND window, UINT message, long events) {
    Record* r = Find(s);
    if (r == nullptr) {
        WSASetLastError(WSAENOTSOCK);
        return SOCKET_ERROR;
    }
    r->window = events == 0 ? nullptr : window;
    r->message = message;
    r->mask = events;
    // A new request reports again what holds now.
    r->readEnabled = r->writeEnabled = r->acceptEnabled = true;
    UpdateWatch(s);
    return 0;
}

void ReenableAcceptAfterPause(SOCKET s) {
    const UINT_PTR timer = SetTimer(0, 0, kAcceptPauseMs, &ResumeAccept);
    if (timer == 0) return Reenable(s, FD_ACCEPT);
    PausedAccepts()[timer] = s;
}

void Reenable(SOCKET s, long event) {
    Record* r = Find(s);
    if (r == nullptr) return;
    if (event == FD_READ) r->readEnabled = true;
    if (event == FD_WRITE) r->writeEnabled = true;
    if (event == FD_ACCEPT) r->acceptEnabled = true;
    UpdateWatch(s);
}

}  // namespace netpull::platform::table
