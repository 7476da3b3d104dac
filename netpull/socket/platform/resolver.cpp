// Asynchronous host-name resolution with c-ares in the socket layer's loop.
#include "netpull/socket/platform/resolver.h"

#include <ares.h>
#include <netdb.h>
#include <sys/socket.h>

#include <cstring>
#include <map>
#include <string>

#include "errors.h"
#include "host_entry.h"
#include "netpull/socket/platform/event_loop.h"
#include "netpull/socket/platform/message_queue.h"

namespace netpull::platform {
namespace {

struct Request {
    HWND window;
    UINT message;
    char* buffer;
    int bufferLength;
};

struct Resolver {
    ares_channel channel = nullptr;
    std::string servers;  // empty: the system's
    int queryTimeoutMs = 3000;
    std::map<HANDLE, Request> pending;
    std::uintptr_t next = 0xDEAE;  // the first handle, as Windows gives it
};

Resolver& TheResolver() {
    static Resolver resolver;
    return resolver;
}

void ProcessTimeouts();

void ArmForTimeouts() {
    Resolver& r = TheResolver();
    timeval wait{};
    if (r.channel == nullptr || ares_timeout(r.channel, nullptr, &wait) == nullptr)
        return ArmTimer(-1);
    ArmTimer(static_cast<int>(wait.tv_sec * 1000 + wait.tv_usec / 1000));
}

void ProcessTimeouts() {
    Resolver& r = TheResolver();
    if (r.channel == nullptr) return;
    ares_process_fd(r.channel, ARES_SOCKET_BAD, ARES_SOCKET_BAD);
    ArmForTimeouts();
}

// c-ares tells which of its sockets to watch, also from inside its own calls.
void SocketState(void*, ares_socket_t socket, int readable, int writable) {
    const short events = static_cast<short>((readable ? POLLIN : 0) | (writable ? POLLOUT : 0));
    WatchDescriptor(socket, events, [](int descriptor, short revents) {
        Resolver& r = TheResolver();
        if (r.channel == nullptr) return;
        ares_process_fd(r.channel,
                        (revents & (POLLIN | POLLERR | POLLHUP)) ? descriptor : ARES_SOCKET_BAD,
                        (revents & POLLOUT) ? descriptor : ARES_SOCKET_BAD);
        ArmForTimeouts();
    });
}

int WsaErrorOfStatus(int status) {
    switch (status) {
        case ARES_SUCCESS:
            return 0;
        case ARES_ENODATA:
            return WSANO_DATA;
        case ARES_ESERVFAIL:
            return WSATRY_AGAIN;
        // No name server answered in time: the answer may come another time.
        case ARES_ETIMEOUT:
            return WSATRY_AGAIN;
        case ARES_ENOTFOUND:
        case ARES_ECONNREFUSED:
        case ARES_EBADNAME:
            return WSAHOST_NOT_FOUND;
        default:
            return WSANO_RECOVERY;
    }
}

void Resolved(void* argument, int status, int, hostent* host) {
    Resolver& r = TheResolver();
    const auto handle = static_cast<HANDLE>(argument);
    const auto found = r.pending.find(handle);
    if (found == r.pending.end()) return;  // cancelled: its buffer may be gone
    const Request request = found->second;
    r.pending.erase(found);
    int error = WsaErrorOfStatus(status);
    if (error == 0) {
        std::uint32_t address = 0;
        const bool one =
            host->h_length == 4 && host->h_addr_list != nullptr && host->h_addr_list[0] != nullptr;
        if (one) std::memcpy(&address, host->h_addr_list[0], sizeof address);
        if (!one || !WriteHostEntry(host->h_name, address, request.buffer, request.bufferLength))
            error = WSAENOBUFS;
    }
    PostMessageA(request.window, request.message, reinterpret_cast<WPARAM>(handle),
                 WSAMAKEASYNCREPLY(0, error));
}

bool EnsureChannel() {
    Resolver& r = TheResolver();
    if (r.channel != nullptr) return true;
    static const bool libraryReady = ares_library_init(ARES_LIB_INIT_ALL) == ARES_SUCCESS;
    if (!libraryReady) return false;
    ares_options options{};
    options.sock_state_cb = &SocketState;
    options.timeout = r.queryTimeoutMs;
    options.tries = 2;
    const int mask = ARES_OPT_SOCK_STATE_CB | ARES_OPT_TIMEOUTMS | ARES_OPT_TRIES;
    if (ares_init_options(&r.channel, &options, mask) != ARES_SUCCESS) return false;
    if (!r.servers.empty()) ares_set_servers_ports_csv(r.channel, r.servers.c_str());
    SetTimerWork(&ProcessTimeouts);
    return true;
}

}  // namespace

HANDLE StartResolution(HWND window, UINT message, std::string_view name, char* buffer,
                       int bufferLength) {
    if (!IsWindow(window) || buffer == nullptr || !EnsureChannel()) {
        WSASetLastError(!IsWindow(window) ? WSAEINVAL : WSANO_RECOVERY);
        return nullptr;
    }
    Resolver& r = TheResolver();
    const auto handle = reinterpret_cast<HANDLE>(r.next++);
    r.pending.emplace(handle, Request{window, message, buffer, bufferLength});
    // The answer may come at once, from inside this call (a name from the hosts file).
    ares_gethostbyname(r.channel, std::string(name).c_str(), AF_INET, &Resolved, handle);
    ArmForTimeouts();
    return handle;
}

void UseNameServers(const std::string& servers) {
    Resolver& r = TheResolver();
    r.servers = servers;
    if (r.channel != nullptr) ares_set_servers_ports_csv(r.channel, servers.c_str());
}

void UseQueryTimeout(int milliseconds) {
    TheResolver().queryTimeoutMs = milliseconds;
}

bool CancelResolution(HANDLE request) {
    return TheResolver().pending.erase(request) == 1;
}

void ShutDownResolver() {
    Resolver& r = TheResolver();
    r.pending.clear();
    if (r.channel == nullptr) return;
    ares_channel channel = r.channel;
    r.channel = nullptr;
    ares_destroy(channel);
    SetTimerWork(nullptr);
    ArmTimer(-1);
}

}  // namespace netpull::platform
