// Host-name lookups with c-ares in the socket layer's loop.
#include "netpull/socket/platform/resolver.h"

#include <ares.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstring>
#include <memory>
#include <string>

#include "errors.h"
#include "name_lookup.h"
#include "netpull/socket/platform/event_loop.h"
#include "netpull/socket/platform/win_types.h"

namespace netpull::platform {
namespace {

struct Resolver {
    ares_channel channel = nullptr;
    std::string servers;  // empty: the system's
    int queryTimeoutMs = 3000;
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
        case ARES_ENONAME:
            return WSAHOST_NOT_FOUND;
        default:
            return WSANO_RECOVERY;
    }
}

posix::Endpoint EndpointOf(const sockaddr* address) {
    posix::Endpoint end;
    if (address->sa_family == AF_INET6) {
        const auto* v6 = reinterpret_cast<const sockaddr_in6*>(address);
        end.v6 = true;
        std::memcpy(end.address6.data(), &v6->sin6_addr, end.address6.size());
        end.scope = v6->sin6_scope_id;
    } else {
        end.address = reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr;
    }
    return end;
}

// c-ares calls it once for every lookup, also when the channel is destroyed.
void Answered(void* argument, int status, int, ares_addrinfo* answer) {
    const std::unique_ptr<LookupDone> done(static_cast<LookupDone*>(argument));
    const std::unique_ptr<ares_addrinfo, void (*)(ares_addrinfo*)> owned(answer,
                                                                         &ares_freeaddrinfo);
    std::vector<posix::Endpoint> addresses;
    std::string canonicalName;
    if (status == ARES_SUCCESS && answer != nullptr) {
        for (const ares_addrinfo_node* node = answer->nodes; node != nullptr; node = node->ai_next)
            if (node->ai_family == AF_INET || node->ai_family == AF_INET6)
                addresses.push_back(EndpointOf(node->ai_addr));
        // The last alias names the host the others lead to.
        for (const ares_addrinfo_cname* alias = answer->cnames; alias != nullptr;
             alias = alias->next)
            if (alias->name != nullptr) canonicalName = alias->name;
        if (canonicalName.empty() && answer->name != nullptr) canonicalName = answer->name;
    }
    int error = status == ARES_EDESTRUCTION ? WSA_E_CANCELLED : WsaErrorOfStatus(status);
    if (error == 0 && addresses.empty()) error = WSANO_DATA;
    (*done)(error, canonicalName, addresses);
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

bool StartLookup(const std::string& name, LookupDone done) {
    if (!EnsureChannel()) return false;
    ares_addrinfo_hints hints{};
    hints.ai_flags = ARES_AI_CANONNAME;
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    ares_getaddrinfo(TheResolver().channel, name.c_str(), nullptr, &hints, &Answered,
                     new LookupDone(std::move(done)));
    ArmForTimeouts();
    return true;
}

void UseNameServers(const std::string& servers) {
    Resolver& r = TheResolver();
    r.servers = servers;
    if (r.channel != nullptr) ares_set_servers_ports_csv(r.channel, servers.c_str());
}

void UseQueryTimeout(int milliseconds) {
    TheResolver().queryTimeoutMs = milliseconds;
}

void ShutDownResolver() {
    Resolver& r = TheResolver();
    if (r.channel == nullptr) return;
    ares_channel channel = r.channel;
    r.channel = nullptr;
    ares_destroy(channel);
    SetTimerWork(nullptr);
    ArmTimer(-1);
}

}  // namespace netpull::platform
