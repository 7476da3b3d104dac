// The connection attempts to the addresses of a resolved name, as RFC 8305 (Happy Eyeballs)
// orders and paces them.
#include <algorithm>

#include "netpull/socket/csocket.h"
#include "netpull/socket/socket_support.h"
#include "netpull/socket/windows_sockets.h"
#include "socket_addresses.h"

namespace netpull {
namespace {

namespace ms = MSocketSupport;

// RFC 8305's recommended Connection Attempt Delay.
constexpr UINT kNextAttemptDelayMs = 250;

// IPv6 and IPv4 in turn, IPv6 first, each family in the resolver's order.
std::vector<HostAddress> InTurn(const std::vector<HostAddress>& addresses) {
    std::vector<HostAddress> v6, v4, ordered;
    for (const HostAddress& address : addresses)
        (address.family == AF_INET6 ? v6 : v4).push_back(address);
    for (std::size_t i = 0; i < std::max(v6.size(), v4.size()); ++i) {
        if (i < v6.size()) ordered.push_back(v6[i]);
        if (i < v4.size()) ordered.push_back(v4[i]);
    }
    return ordered;
}

}  // namespace

void CSocket::StartAttempts(const std::vector<HostAddress>& addresses) {
    Candidates_ = InTurn(addresses);
    // A bound socket is the only one that may connect, once, to an address of its family.
    if (IsBound_) {
        std::erase_if(Candidates_,
                      [&](const HostAddress& address) { return address.family != SocketFamily_; });
        if (Candidates_.size() > 1) Candidates_.resize(1);
    }
    if (Candidates_.empty()) return FailConnection(WSAEAFNOSUPPORT, "CSocket.PostGetHostEvent");
    StartNextAttempt();
}

// Tries candidates until one is connecting; those the system refuses at once are passed over.
void CSocket::StartNextAttempt() {
    ms::StopAttemptTimer(NextAttemptTimer_);
    NextAttemptTimer_ = 0;
    int error = 0;
    while (!Candidates_.empty()) {
        const HostAddress address = Candidates_.front();
        Candidates_.erase(Candidates_.begin());
        // The socket made before the name was resolved serves the first address of its family.
        const bool reuse = SocketHandle_ != INVALID_SOCKET && !IsAttempt(SocketHandle_) &&
                           SocketFamily_ == address.family;
        const SOCKET handle = reuse ? SocketHandle_ : NewSocket(address.family);
        if (handle == INVALID_SOCKET) {
            error = WSAGetLastError();
            continue;
        }
        const SocketAddress record = RecordOf(address, RemotePort_);
        if (connect(handle, record.Get(), record.length) == SOCKET_ERROR &&
            WSAGetLastError() != WSAEWOULDBLOCK) {
            error = WSAGetLastError();
            if (!reuse) ForgetSocket(handle);
            continue;
        }
        Attempts_.push_back({handle, address.family, TextOf(address)});
        if (SocketHandle_ == INVALID_SOCKET) {
            SocketHandle_ = handle;
            SocketFamily_ = address.family;
        }
        if (Attempts_.size() == 1) RemoteHostIP_ = Attempts_.front().addressText;
        State_ = StateConnecting;
        if (!Candidates_.empty())
            NextAttemptTimer_ = ms::StartAttemptTimer(identity_, kNextAttemptDelayMs);
        return;
    }
    if (!Attempts_.empty()) return;
    FailConnection(error, "CSocket.PostGetHostEvent");
}

void CSocket::AttemptEnded(SOCKET handle, std::uint32_t errorCode) {
    const auto found =
        std::find_if(Attempts_.begin(), Attempts_.end(),
                     [&](const Attempt& attempt) { return attempt.handle == handle; });
    const Attempt ended = *found;
    Attempts_.erase(found);
    if (errorCode == 0) return AttemptConnected(ended);
    const bool last = Attempts_.empty() && Candidates_.empty();
    if (last) {
        // As a connection to one address fails.
        if (handle != SocketHandle_) ForgetSocket(handle);
        return FailConnection(static_cast<std::int32_t>(errorCode), "");
    }
    ForgetSocket(handle);
    if (handle == SocketHandle_) {
        SocketHandle_ = Attempts_.empty() ? INVALID_SOCKET : Attempts_.front().handle;
        if (!Attempts_.empty()) SocketFamily_ = Attempts_.front().family;
    }
    // A refused address moves on to the next at once.
    if (!Candidates_.empty()) StartNextAttempt();
}

void CSocket::AttemptConnected(const Attempt& winner) {
    std::vector<SOCKET> others;
    for (const Attempt& attempt : Attempts_) others.push_back(attempt.handle);
    if (SocketHandle_ != winner.handle && SocketHandle_ != INVALID_SOCKET &&
        std::find(others.begin(), others.end(), SocketHandle_) == others.end())
        others.push_back(SocketHandle_);
    Attempts_.clear();
    Candidates_.clear();
    ms::StopAttemptTimer(NextAttemptTimer_);
    NextAttemptTimer_ = 0;
    if (SocketHandle_ != winner.handle) {
        SocketHandle_ = winner.handle;
        SocketFamily_ = winner.family;
        RecvBuffer_.clear();
        LastReadFilled_ = false;
        ReadBufferSizes();
    }
    for (const SOCKET other : others) ForgetSocket(other);
    RemoteHostIP_ = winner.addressText;
    HandleConnect();
}

// The connection fails as one to a single address does: the socket goes, then the error.
void CSocket::FailConnection(std::int32_t number, const char* source) {
    State_ = StateError;
    DestroySocket();
    RaiseError(number, source);
}

bool CSocket::IsAttempt(SOCKET handle) const {
    return std::any_of(Attempts_.begin(), Attempts_.end(),
                       [&](const Attempt& attempt) { return attempt.handle == handle; });
}

void CSocket::AbandonAttempts() {
    ms::StopAttemptTimer(NextAttemptTimer_);
    NextAttemptTimer_ = 0;
    Candidates_.clear();
    const std::vector<Attempt> abandoned = std::move(Attempts_);
    Attempts_.clear();
    for (const Attempt& attempt : abandoned)
        if (attempt.handle != SocketHandle_) ForgetSocket(attempt.handle);
}

void CSocket::ForgetSocket(SOCKET handle) {
    ms::DetachSocket(handle);
    closesocket(handle);
}

}  // namespace netpull
