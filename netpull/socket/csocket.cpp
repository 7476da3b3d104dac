// The socket object: creation, connection operations, state machine and the dispatch of
// notifications.
#include "netpull/socket/csocket.h"

#include <netinet/in.h>

#include "netpull/socket/platform/event_loop.h"
#include "netpull/socket/platform/winsock.h"
#include "netpull/socket/socket_support.h"

namespace netpull {
namespace {

namespace p = platform;
namespace ms = MSocketSupport;

constexpr std::uint32_t kNoAddress = 0xFFFFFFFFu;
constexpr int kCloseSocketPumps = 10;

sockaddr_in AddressRecord(std::uint32_t address, std::int32_t port) {
    sockaddr_in record{};
    record.sin_family = AF_INET;
    record.sin_port = p::HostToNetwork16(static_cast<std::uint16_t>(ms::ToSigned16(port)));
    record.sin_addr.s_addr = address;
    return record;
}

std::int32_t PortOf(const sockaddr_in& record) {
    return ms::ToUnsigned16(static_cast<std::int16_t>(p::NetworkToHost16(record.sin_port)));
}

[[noreturn]] void FailWithLastError(const char* source) {
    throw SocketError::FromNumber(p::WSAGetLastError(), source);
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
        if (SocketHandle_ != -1) DestroySocket();
    } catch (const SocketError&) {
        // Nothing can be reported from a destruction.
    }
    ms::EndcsocketService();
}

SOCKET CSocket::vbSocket() {
    const bool datagram = Protocol_ == ProtocolUdp;
    const SOCKET handle = p::socket(AF_INET_WIN, datagram ? SOCK_DGRAM_WIN : SOCK_STREAM_WIN,
                                    datagram ? IPPROTO_UDP_WIN : IPPROTO_TCP_WIN);
    if (handle == INVALID_SOCKET) return -1;
    if (ms::RegisterSocket(handle, identity_)) {
        p::closesocket(handle);
        return -1;
    }
    return handle;
}

bool CSocket::EnsureSocket() {
    if (SocketHandle_ != -1) return true;
    SocketHandle_ = vbSocket();
    if (SocketHandle_ == -1) return false;
    RecvBuffer_.clear();
    ReadBufferSizes();
    return true;
}

void CSocket::ReadBufferSizes() {
    if (Protocol_ != ProtocolTcp) {
        SendBufferSize_ = RecvBufferSize_ = MaxDatagramSize_;
        return;
    }
    p::getsockopt(SocketHandle_, SOL_SOCKET_WIN, SO_RCVBUF_WIN, &RecvBufferSize_);
    p::getsockopt(SocketHandle_, SOL_SOCKET_WIN, SO_SNDBUF_WIN, &SendBufferSize_);
}

void CSocket::Connect(std::optional<Variant> strRemoteHost, std::optional<Variant> lngRemotePort) {
    WithSource("CSocket.CSocket.Connect", [&] {
        if (!EnsureSocket()) return;
        if (strRemoteHost && !strRemoteHost->Text().empty()) RemoteHost_ = strRemoteHost->Text();
        if (lngRemotePort) {
            if (const auto port = lngRemotePort->AsInteger()) RemotePort_ = *port;
        }
        if (RemoteHost_.empty()) throw SocketError::FromNumber(WSAEADDRNOTAVAIL, "");
        // A port out of range fails here, not after the host name is resolved.
        ms::ToSigned16(RemotePort_);
        ResolvePurpose_ = 0;
        const std::uint32_t address = p::inet_addr(RemoteHost_);
        if (address != kNoAddress) return ConnectTo(address);
        State_ = StateResolvingHost;
        ResolveRequest_ = 0;
        std::optional<SocketError> error;
        ResolveRequest_ = ms::ResolveHost(RemoteHost_, identity_, error);
        if (ResolveRequest_ == 0) {
            DestroySocket();
            throw error.value_or(SocketError::FromNumber(WSAENOBUFS, ""));
        }
    });
}

void CSocket::ConnectTo(std::uint32_t address) {
    if (p::connect(SocketHandle_, AddressRecord(address, RemotePort_)) == -1) {
        if (p::WSAGetLastError() != WSAEWOULDBLOCK) FailWithLastError("");
        State_ = StateConnecting;
    }
}

void CSocket::Bind(std::int32_t lngLocalPort, const std::string& strLocalIP) {
    if (!EnsureSocket()) return;
    if (!strLocalIP.empty()) LocalIP_ = strLocalIP;
    if (lngLocalPort > 0) LocalPort_ = lngLocalPort;
    std::uint32_t address = INADDR_ANY;
    if (!LocalIP_.empty()) {
        address = p::inet_addr(LocalIP_);
        // The conversion sets no error of its own: the text is no address this host has.
        if (address == kNoAddress) throw SocketError::FromNumber(WSAEADDRNOTAVAIL, "CSocket.Bind");
    }
    const sockaddr_in record =
        WithSource("CSocket.Bind", [&] { return AddressRecord(address, LocalPort_); });
    if (p::bind(SocketHandle_, record) == -1) FailWithLastError("CSocket.Bind");
    IsBound_ = true;
}

void CSocket::Listen() {
    WithSource("CSocket.Listen", [&] {
        if (!EnsureSocket()) return;
        if (!IsBound_) Bind(0, "");
        if (p::listen(SocketHandle_, 5) == -1) {
            State_ = StateError;
            FailWithLastError("");
        }
        State_ = StateListening;
    });
}

void CSocket::Accept(std::int32_t requestID) {
    WithSource("CSocket.Accept", [&] {
        // The request of a failed accept is -1: there is nothing to take over.
        if (requestID == INVALID_SOCKET) throw SocketError::FromNumber(WSAENOTSOCK, "");
        SocketHandle_ = requestID;
        sockaddr_in record{};
        if (p::getsockname(SocketHandle_, &record) == 0) {
            LocalPort_ = PortOf(record);
            LocalIP_ = p::inet_ntoa(record.sin_addr.s_addr);
            LocalHostName_ = LocalIP_;
        }
        if (p::getpeername(SocketHandle_, &record) == 0) {
            RemotePort_ = PortOf(record);
            RemoteHostIP_ = p::inet_ntoa(record.sin_addr.s_addr);
            RemoteHost_ = RemoteHostIP_;
        }
        std::int32_t type = 0;
        if (p::getsockopt(SocketHandle_, SOL_SOCKET_WIN, SO_TYPE_WIN, &type) == 0)
            Protocol_ = type == SOCK_STREAM_WIN ? ProtocolTcp : ProtocolUdp;
        ReadBufferSizes();
        RecvBuffer_.clear();
        if (const std::optional<SocketError> failure =
                ms::RegisterSocket(SocketHandle_, identity_)) {
            // Number 0: the handle is registered already.
            if (failure->Number() == 0) return;
            SocketHandle_ = -1;
            throw *failure;
        }
        State_ = StateConnected;
    });
}

void CSocket::CloseSocket() {
    if (SocketHandle_ == -1) return;
    RecvBuffer_.clear();
    try {
        DestroySocket();
        State_ = StateClosed;
    } catch (const SocketError&) {
        // Closing reports nothing; queued notifications are still handled below.
    }
    for (int i = 0; i < kCloseSocketPumps; ++i) p::HostPump();
}

// Bytes already received stay for the reads to come, even the blocking reads that were
// waiting when the peer closed; unsent bytes go, so that they never reach another connection.
void CSocket::DestroySocket() {
    SendBuffer_.clear();
    SendStart_ = 0;
    SendPending_ = false;
    if (SocketHandle_ == -1) return;
    ms::DetachSocket(SocketHandle_);
    if (p::closesocket(SocketHandle_) == -1) FailWithLastError("CSocket.DestroySocket");
    SocketHandle_ = -1;
    IsBound_ = false;
    BroadcastOn_ = false;
}

void CSocket::Protocol(std::int32_t newvalue) {
    if (SocketHandle_ == -1) Protocol_ = newvalue;
}

void CSocket::RemoteHost(const std::string& newvalue) {
    RemoteHost_ = newvalue;
    if (newvalue.empty() || p::inet_addr(newvalue) == kNoAddress) return;
    RemoteHostIP_ = newvalue;
    if (Protocol_ != ProtocolUdp || !EnsureSocket()) return;
    const bool broadcast = newvalue.size() >= 4 && newvalue.ends_with(".255");
    if (broadcast == BroadcastOn_) return;
    if (p::setsockopt(SocketHandle_, SOL_SOCKET_WIN, SO_BROADCAST_WIN, broadcast ? 1 : 0) == -1)
        FailWithLastError("CSocket.RemoteHost");
    BroadcastOn_ = broadcast;
}

void CSocket::RaiseError(std::int32_t number, const std::string& source) {
    // The event's number is 16 bits wide: a number that does not fit is not raised, never cut.
    if (number < INT16_MIN || number > INT16_MAX) return;
    std::string description = SocketErrorText(number);
    bool cancelDisplay = false;
    Raise(events.OnError, static_cast<std::int16_t>(number), description, 0, source, std::string(),
          0, cancelDisplay);
}

void CSocket::PostSocketEvent(std::uint32_t eventCode, std::uint32_t errorCode) {
    // A reference of its own keeps the object alive for the whole dispatch, whatever the
    // handlers do with theirs.
    const std::shared_ptr<CSocket> self = shared_from_this();
    WithSource("CSocket.PostSocketEvent", [&] {
        if (errorCode > 0) {
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
    sockaddr_in record{};
    const SOCKET accepted = p::accept(SocketHandle_, &record);
    // Nobody would take the connection over: it is closed at once rather than left open.
    if (!events.OnConnectionRequest) {
        if (accepted != INVALID_SOCKET) p::closesocket(accepted);
        return;
    }
    Raise(events.OnConnectionRequest, static_cast<std::int32_t>(accepted));
}

void CSocket::FillLocalEnd(bool lookUpName) {
    sockaddr_in record{};
    if (p::getsockname(SocketHandle_, &record) != 0) return;
    LocalPort_ = PortOf(record);
    LocalIP_ = p::inet_ntoa(record.sin_addr.s_addr);
    LocalHostName_ =
        lookUpName ? p::gethostbyaddr(record.sin_addr.s_addr).value_or(LocalIP_) : LocalIP_;
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

void CSocket::PostGetHostEvent(HANDLE request, std::uint32_t address, const std::string& hostName,
                               std::int32_t errorCode) {
    const std::shared_ptr<CSocket> self = shared_from_this();
    WithSource("CSocket.PostGetHostEvent", [&] {
        if (errorCode > 0) {
            State_ = StateError;
            return RaiseError(errorCode, "");
        }
        if (request == 0 || request != ResolveRequest_) return;
        State_ = StateHostResolved;
        RemoteHost_ = hostName;
        RemoteHostIP_ = p::inet_ntoa(address);
        if (ResolvePurpose_ == 1) return SendBuffered();
        if (p::connect(SocketHandle_, AddressRecord(address, RemotePort_)) == -1) {
            if (p::WSAGetLastError() == WSAEWOULDBLOCK)
                State_ = StateConnecting;
            else
                RaiseError(p::WSAGetLastError(), "CSocket.PostGetHostEvent");
        }
    });
}

}  // namespace netpull
