// The socket object: creation, connection operations, state machine and the dispatch of
// notifications.
#include "netpull/socket/csocket.h"

#include "netpull/socket/socket_loop.h"
#include "netpull/socket/socket_support.h"
#include "netpull/socket/windows_sockets.h"
#include "socket_addresses.h"

namespace netpull {
namespace {

namespace ms = MSocketSupport;

constexpr int kCloseSocketPumps = 10;

[[noreturn]] void FailWithLastError(const char* source) {
    throw SocketError::FromNumber(WSAGetLastError(), source);
}

}  // namespace

CSocket::CSocket() = default;

std::shared_ptr<CSocket> CSocket::Create() {
    const std::int32_t maxDatagram = ms::InitcsocketService();
    std::shared_ptr<CSocket> object(new CSocket());
    object->MaxDatagramSize_ = maxDatagram;
    object->identity_ = ms::EnterLiveObject(object);
    return object;
}

CSocket::~CSocket() {
    ms::LeaveLiveObject(identity_);
    try {
        if (SocketHandle_ != INVALID_SOCKET) DestroySocket();
    } catch (const SocketError&) {
        // Nothing can be reported from a destruction.
    }
    ms::EndcsocketService();
}

SOCKET CSocket::vbSocket() {
    return NewSocket(AF_INET);
}

SOCKET CSocket::NewSocket(int family) {
    const bool datagram = Protocol_ == ProtocolUdp;
    const SOCKET handle =
        socket(family, datagram ? SOCK_DGRAM : SOCK_STREAM, datagram ? IPPROTO_UDP : IPPROTO_TCP);
    if (handle == INVALID_SOCKET) return INVALID_SOCKET;
    if (ms::RegisterSocket(handle, identity_)) {
        closesocket(handle);
        return INVALID_SOCKET;
    }
    return handle;
}

bool CSocket::EnsureSocket(int family) {
    if (SocketHandle_ != INVALID_SOCKET) {
        if (SocketFamily_ == family || IsBound_ || State_ != StateClosed) return true;
        // The new socket first: the hidden window stays while a socket is registered.
        const SOCKET unused = SocketHandle_;
        SocketHandle_ = NewSocket(family);
        ForgetSocket(unused);
    } else {
        SocketHandle_ = NewSocket(family);
    }
    if (SocketHandle_ == INVALID_SOCKET) return false;
    SocketFamily_ = family;
    RecvBuffer_.clear();
    LastReadFilled_ = false;
    ReadBufferSizes();
    return true;
}

void CSocket::ReadBufferSizes() {
    if (Protocol_ != ProtocolTcp) {
        SendBufferSize_ = RecvBufferSize_ = MaxDatagramSize_;
        return;
    }
    RecvBufferSize_ = IntOption(SocketHandle_, SO_RCVBUF, RecvBufferSize_);
    SendBufferSize_ = IntOption(SocketHandle_, SO_SNDBUF, SendBufferSize_);
}

void CSocket::Connect(std::optional<Variant> strRemoteHost, std::optional<Variant> lngRemotePort) {
    WithSource("CSocket.CSocket.Connect", [&] {
        if (strRemoteHost && !strRemoteHost->Text().empty()) RemoteHost_ = strRemoteHost->Text();
        const std::optional<HostAddress> literal = AddressOfText(RemoteHost_);
        if (!EnsureSocket(literal ? literal->family : SocketFamilyOr(AF_INET))) return;
        if (lngRemotePort) {
            if (const auto port = lngRemotePort->AsInteger()) RemotePort_ = *port;
        }
        if (RemoteHost_.empty()) throw SocketError::FromNumber(WSAEADDRNOTAVAIL, "");
        // A port out of range fails here, not after the host name is resolved.
        ms::ToSigned16(RemotePort_);
        ResolvePurpose_ = 0;
        AbandonAttempts();
        if (literal) {
            RemoteHostIP_ = TextOf(*literal);
            return ConnectTo(*literal);
        }
        State_ = StateResolvingHost;
        ResolveRequest_ = nullptr;
        std::optional<SocketError> error;
        ResolveRequest_ = ms::ResolveHost(RemoteHost_, identity_, error);
        if (ResolveRequest_ == nullptr) {
            DestroySocket();
            throw error.value_or(SocketError::FromNumber(WSAENOBUFS, ""));
        }
    });
}

// Windows refuses some addresses at once (INADDR_ANY, no route): the socket goes then, and the
// failure is the caller's.
void CSocket::ConnectTo(const HostAddress& address) {
    const SocketAddress record = RecordOf(address, RemotePort_);
    if (connect(SocketHandle_, record.Get(), record.length) == 0) return;
    const int error = WSAGetLastError();
    if (error == WSAEWOULDBLOCK) {
        State_ = StateConnecting;
        return;
    }
    State_ = StateError;
    DestroySocket();
    throw SocketError::FromNumber(error, "");
}

void CSocket::Bind(std::int32_t lngLocalPort, const std::string& strLocalIP) {
    if (!strLocalIP.empty()) LocalIP_ = strLocalIP;
    HostAddress address;  // any IPv4 address
    if (!LocalIP_.empty()) {
        const std::optional<HostAddress> given = AddressOfText(LocalIP_);
        // The conversion sets no error of its own: the text is no address this host has.
        if (!given) throw SocketError::FromNumber(WSAEADDRNOTAVAIL, "CSocket.Bind");
        address = *given;
    }
    if (!EnsureSocket(address.family)) return;
    if (lngLocalPort > 0) LocalPort_ = lngLocalPort;
    const SocketAddress record =
        WithSource("CSocket.Bind", [&] { return RecordOf(address, LocalPort_); });
    if (bind(SocketHandle_, record.Get(), record.length) == SOCKET_ERROR)
        FailWithLastError("CSocket.Bind");
    IsBound_ = true;
}

void CSocket::Listen() {
    WithSource("CSocket.Listen", [&] {
        if (!EnsureSocket(SocketFamilyOr(AF_INET))) return;
        if (!IsBound_) Bind(0, "");
        if (listen(SocketHandle_, 5) == SOCKET_ERROR) {
            State_ = StateError;
            FailWithLastError("");
        }
        State_ = StateListening;
    });
}

void CSocket::Accept(std::int32_t requestID) {
    WithSource("CSocket.Accept", [&] {
        // The request of a failed accept is -1: there is nothing to take over.
        if (requestID == -1) throw SocketError::FromNumber(WSAENOTSOCK, "");
        SocketHandle_ = static_cast<SOCKET>(requestID);
        SocketAddress record;
        if (EndOf(SocketHandle_, getsockname, record)) {
            SocketFamily_ = AddressOf(record).family;
            LocalPort_ = PortOf(record);
            LocalIP_ = TextOf(AddressOf(record));
            LocalHostName_ = LocalIP_;
        }
        if (EndOf(SocketHandle_, getpeername, record)) {
            RemotePort_ = PortOf(record);
            RemoteHostIP_ = TextOf(AddressOf(record));
            RemoteHost_ = RemoteHostIP_;
        }
        const std::int32_t type = IntOption(SocketHandle_, SO_TYPE, 0);
        if (type != 0) Protocol_ = type == SOCK_STREAM ? ProtocolTcp : ProtocolUdp;
        ReadBufferSizes();
        RecvBuffer_.clear();
        LastReadFilled_ = false;
        if (const std::optional<SocketError> failure =
                ms::RegisterSocket(SocketHandle_, identity_)) {
            // Number 0: the handle is registered already.
            if (failure->Number() == 0) return;
            SocketHandle_ = INVALID_SOCKET;
            throw *failure;
        }
        State_ = StateConnected;
    });
}

void CSocket::CloseSocket() {
    if (SocketHandle_ == INVALID_SOCKET) return;
    RecvBuffer_.clear();
    try {
        DestroySocket();
        State_ = StateClosed;
    } catch (const SocketError&) {
        // Closing reports nothing; queued notifications are still handled below.
    }
    for (int i = 0; i < kCloseSocketPumps; ++i) loop::HostPump();
}

// Bytes already received stay for the reads to come, even the blocking reads that were
// waiting when the peer closed; unsent bytes go, so that they never reach another connection.
void CSocket::DestroySocket() {
    SendBuffer_.clear();
    SendStart_ = 0;
    SendPending_ = false;
    AbandonAttempts();
    if (SocketHandle_ == INVALID_SOCKET) return;
    ms::DetachSocket(SocketHandle_);
    if (closesocket(SocketHandle_) == SOCKET_ERROR) FailWithLastError("CSocket.DestroySocket");
    SocketHandle_ = INVALID_SOCKET;
    IsBound_ = false;
    BroadcastOn_ = false;
}

void CSocket::Protocol(std::int32_t newvalue) {
    if (SocketHandle_ == INVALID_SOCKET) Protocol_ = newvalue;
}

void CSocket::RemoteHost(const std::string& newvalue) {
    RemoteHost_ = newvalue;
    const std::optional<HostAddress> literal = AddressOfText(newvalue);
    if (!literal) return;
    RemoteHostIP_ = newvalue;
    if (Protocol_ != ProtocolUdp || !EnsureSocket(AF_INET)) return;
    const bool broadcast = newvalue.size() >= 4 && newvalue.ends_with(".255");
    if (broadcast == BroadcastOn_) return;
    const int setting = broadcast ? 1 : 0;
    if (setsockopt(SocketHandle_, SOL_SOCKET, SO_BROADCAST, reinterpret_cast<const char*>(&setting),
                   sizeof setting) == SOCKET_ERROR)
        FailWithLastError("CSocket.RemoteHost");
    BroadcastOn_ = broadcast;
}

int CSocket::SocketFamilyOr(int family) const {
    return SocketHandle_ != INVALID_SOCKET ? SocketFamily_ : family;
}

void CSocket::RaiseError(std::int32_t number, const std::string& source) {
    // The event's number is 16 bits wide: a number that does not fit is not raised, never cut.
    if (number < INT16_MIN || number > INT16_MAX) return;
    std::string description = SocketErrorText(number);
    bool cancelDisplay = false;
    Raise(events.OnError, static_cast<std::int16_t>(number), description, 0, source, std::string(),
          0, cancelDisplay);
}

void CSocket::PostSocketEvent(SOCKET notified, std::uint32_t eventCode, std::uint32_t errorCode) {
    // A reference of its own keeps the object alive for the whole dispatch, whatever the
    // handlers do with theirs.
    const std::shared_ptr<CSocket> self = shared_from_this();
    WithSource("CSocket.PostSocketEvent", [&] {
        // While a name's addresses are tried, each attempt ends with its connect event.
        if (IsAttempt(notified) && eventCode == FD_CONNECT)
            return AttemptEnded(notified, errorCode);
        if (notified != SocketHandle_) return;
        if (errorCode > 0) {
            // A peer may reset right after its last bytes: what reached this machine before
            // the reset is read out first, as a clean close does.
            const SOCKET handle = SocketHandle_;
            if (eventCode == FD_CLOSE && Protocol_ == ProtocolTcp) ReadOutBeforeFailure(handle);
            if (SocketHandle_ != handle) return;
            State_ = StateError;
            DestroySocket();
            return RaiseError(static_cast<std::int32_t>(errorCode), "");
        }
        switch (eventCode) {
            case FD_READ:
                return HandleRead();
            case FD_WRITE:
                return HandleWrite();
            case FD_ACCEPT:
                return HandleAccept();
            case FD_CONNECT:
                return HandleConnect();
            case FD_CLOSE:
                return HandleClose(SocketHandle_);
            default:
                return;
        }
    });
}

void CSocket::HandleRead() {
    const std::int32_t n = RecvToBuffer();
    BytesReceived_ += n;
    if (n > 0) {
        // A blocking wait ends as soon as data arrives.
        AwaitingResponse_ = false;
        Raise(events.OnDataArrival, static_cast<std::int32_t>(RecvBuffer_.size()));
    }
}

void CSocket::HandleWrite() {
    if (SendStart_ < SendBuffer_.size()) return SendBuffered();
    if (!SendPending_) return;
    SendPending_ = false;
    Raise(events.OnSendComplete);
}

void CSocket::HandleAccept() {
    SocketAddress record;
    const SOCKET accepted = accept(SocketHandle_, record.Get(), &record.length);
    // Nobody would take the connection over: it is closed at once rather than left open.
    if (!events.OnConnectionRequest) {
        if (accepted != INVALID_SOCKET) closesocket(accepted);
        return;
    }
    Raise(events.OnConnectionRequest,
          accepted == INVALID_SOCKET ? -1 : static_cast<std::int32_t>(accepted));
}

void CSocket::FillLocalEnd(bool lookUpName) {
    SocketAddress record;
    if (!EndOf(SocketHandle_, getsockname, record)) return;
    LocalPort_ = PortOf(record);
    LocalIP_ = TextOf(AddressOf(record));
    LocalHostName_ = lookUpName ? NameOfAddress(AddressOf(record), LocalIP_) : LocalIP_;
}

void CSocket::HandleConnect() {
    FillLocalEnd(true);
    State_ = StateConnected;
    AwaitingConnect_ = false;
    Raise(events.OnConnect);
}

// Drains what the peer sent before closing, then closes. A handler that closes or replaces
// the socket ends the drain: the notification belonged to the socket that is gone.
void CSocket::HandleClose(SOCKET handle) {
    while (SocketHandle_ == handle && RecvToBuffer() > 0) {
        AwaitingResponse_ = false;
        Raise(events.OnDataArrival, static_cast<std::int32_t>(RecvBuffer_.size()));
    }
    if (SocketHandle_ != handle) return;
    if (State_ != StateClosing) {
        State_ = StateClosing;
        if (SendStart_ < SendBuffer_.size()) SendBuffered();
    }
    if (SocketHandle_ != handle) return;
    DestroySocket();
    State_ = StateClosed;
    Raise(events.OnClose);
}

// The read that meets the failure itself ends the drain; a handler that closes or replaces
// the socket ends it too.
void CSocket::ReadOutBeforeFailure(SOCKET handle) {
    while (SocketHandle_ == handle) {
        std::int32_t read = 0;
        try {
            read = RecvToBuffer();
        } catch (const SocketError&) {
            return;
        }
        if (read <= 0) return;
        AwaitingResponse_ = false;
        Raise(events.OnDataArrival, static_cast<std::int32_t>(RecvBuffer_.size()));
    }
}

void CSocket::PostGetHostEvent(HANDLE request, const std::vector<HostAddress>& addresses,
                               const std::string& hostName, std::int32_t errorCode) {
    const std::shared_ptr<CSocket> self = shared_from_this();
    WithSource("CSocket.PostGetHostEvent", [&] {
        if (errorCode > 0) {
            if (request == ResolveRequest_) ResolveRequest_ = nullptr;
            State_ = StateError;
            return RaiseError(errorCode, "");
        }
        if (request == nullptr || request != ResolveRequest_) return;
        ResolveRequest_ = nullptr;
        State_ = StateHostResolved;
        if (!hostName.empty()) RemoteHost_ = hostName;
        if (ResolvePurpose_ == 1) {
            // Datagrams go over IPv4.
            for (const HostAddress& address : addresses) {
                if (address.family != AF_INET) continue;
                RemoteHostIP_ = TextOf(address);
                return SendBuffered();
            }
            return RaiseError(WSANO_DATA, "CSocket.PostGetHostEvent");
        }
        StartAttempts(addresses);
    });
}

}  // namespace netpull
