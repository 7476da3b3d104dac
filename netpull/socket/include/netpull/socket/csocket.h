// The socket object: one IPv4 or IPv6 stream socket, or one IPv4 datagram socket, whose
// notifications become events. Connection operations and the dispatch of notifications are in
// csocket.cpp, the connection attempts to a name's addresses in csocket_attempts.cpp; sending,
// receiving and the blocking operations in csocket_transfer.cpp.
//
// A name's addresses are tried as RFC 8305 (Happy Eyeballs) says: IPv6 and IPv4 in turn, IPv6
// first; the next address when the last one has not connected within 250 ms, or at once when
// it failed; the first to connect is the connection and the others are closed.
//
// Objects live in std::shared_ptr: a dispatch holds its own reference while it raises events,
// so a handler may drop the owner's reference, close, reconnect or pump messages safely.
//
// Received bytes and the blocking reads: bytes land in the receive buffer, which GetData and
// PeekData read. FGetData, FPeekData, FGetLine and FPeekLine first move everything in the
// receive buffer to the line buffer and read from there, so each byte goes to exactly one of
// the two kinds of reader: whichever asks first. EOF is true when both buffers are empty, and
// aWaitResponse ends with true as soon as data arrives.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "netpull/socket/socket_error.h"
#include "netpull/socket/variant.h"
#include "netpull/socket/windows_api.h"

namespace netpull {

struct HostAddress;

enum SocketState : std::int32_t {
    StateClosed = 0,
    StateListening = 2,
    StateResolvingHost = 4,
    StateHostResolved = 5,
    StateConnecting = 6,
    StateConnected = 7,
    StateClosing = 8,
    StateError = 9,
};

enum SocketProtocol : std::int32_t { ProtocolTcp = 0, ProtocolUdp = 1 };

class CSocket : public std::enable_shared_from_this<CSocket> {
  public:
    // The events, raised synchronously from inside the dispatch of a notification.
    struct Events {
        std::function<void()> OnClose;
        std::function<void()> OnConnect;
        std::function<void(std::int32_t requestID)> OnConnectionRequest;
        std::function<void(std::int32_t bytesTotal)> OnDataArrival;
        std::function<void(std::int16_t Number, std::string& Description, std::int32_t Scode,
                           const std::string& Source, const std::string& HelpFile,
                           std::int32_t HelpContext, bool& CancelDisplay)>
            OnError;
        std::function<void()> OnSendComplete;
        std::function<void(std::int32_t bytesSent, std::int32_t bytesRemaining)> OnSendProgress;
        std::function<void()> GotData;  // declared, never raised
    };

    // Starts the socket service if needed; raises its failure.
    static std::shared_ptr<CSocket> Create();
    ~CSocket();
    CSocket(const CSocket&) = delete;
    CSocket& operator=(const CSocket&) = delete;

    Events events;
    std::int32_t defaultWait = 7000;  // milliseconds, for the blocking operations

    // Connection (raise SocketError on failure).
    void Connect(std::optional<Variant> strRemoteHost = {},
                 std::optional<Variant> lngRemotePort = {});
    void Bind(std::int32_t lngLocalPort, const std::string& strLocalIP);
    void Listen();
    void Accept(std::int32_t requestID);
    void CloseSocket();
    SOCKET vbSocket();

    // Data transfer.
    void SendData(const Variant& varData);
    void GetData(Variant& varData, std::optional<std::int32_t> varType = {},
                 std::optional<std::int32_t> maxLen = {});
    void PeekData(Variant& varData, std::optional<std::int32_t> varType = {},
                  std::optional<std::int32_t> maxLen = {});

    // Blocking operations: they pump the host's messages while they wait.
    Variant FConnect(const Variant& server, const Variant& Port, bool WaitConnect);
    Variant FGetData(bool wait);
    Variant FPeekData(bool wait);
    Variant FGetLine(bool wait);
    Variant FPeekLine(bool wait);
    Variant FSendData(const Variant& data, bool wait4response);
    bool aWaitResponse(std::int32_t maxWait);
    bool Eof() const;  // the EOF operation (EOF itself is a C macro)

    // Properties.
    std::int32_t State() const { return State_; }
    SOCKET SocketHandle() const { return SocketHandle_; }
    std::int32_t RemotePort() const { return RemotePort_; }
    void RemotePort(std::int32_t newvalue) { RemotePort_ = newvalue; }
    const std::string& RemoteHostIP() const { return RemoteHostIP_; }
    const std::string& RemoteHost() const { return RemoteHost_; }
    void RemoteHost(const std::string& newvalue);
    std::int32_t Protocol() const { return Protocol_; }
    void Protocol(std::int32_t newvalue);
    std::int32_t LocalPort() const { return LocalPort_; }
    void LocalPort(std::int32_t newvalue) { LocalPort_ = newvalue; }
    const std::string& LocalIP() const { return LocalIP_; }
    const std::string& LocalHostName() const { return LocalHostName_; }
    std::int32_t BytesReceived() const { return BytesReceived_; }
    std::int32_t Identity() const { return identity_; }

  private:
    // The socket service's window procedure delivers notifications through it.
    friend struct CSocketDispatch;

    CSocket();
    void PostSocketEvent(SOCKET handle, std::uint32_t eventCode, std::uint32_t errorCode);
    void PostGetHostEvent(HANDLE request, const std::vector<HostAddress>& addresses,
                          const std::string& hostName, std::int32_t errorCode);
    void HandleRead();
    void HandleWrite();
    void HandleAccept();
    void HandleConnect();
    void HandleClose(SOCKET handle);
    SOCKET NewSocket(int family);
    // Makes the socket of a family; an unused one of the other family gives way to it.
    bool EnsureSocket(int family);
    // The family of the socket there is, or the one given when there is none.
    int SocketFamilyOr(int family) const;
    void ReadBufferSizes();
    void DestroySocket();
    std::int32_t RecvToBuffer();
    void ExtractReceived(Variant& varData, bool peek, std::optional<std::int32_t> varType,
                         std::optional<std::int32_t> maxLen);
    void SendBuffered();
    void SendFrom(std::string_view unsent, bool held);
    Variant TakeBufferedData(bool wait, bool peek);
    Variant TakeBufferedLine(bool wait, bool peek);
    void ConnectTo(const HostAddress& address);
    // The connection attempts to a resolved name's addresses (csocket_attempts.cpp).
    void StartAttempts(const std::vector<HostAddress>& addresses);
    void StartNextAttempt();
    void AttemptEnded(SOCKET handle, std::uint32_t errorCode);
    struct Attempt;
    void AttemptConnected(const Attempt& winner);
    bool IsAttempt(SOCKET handle) const;
    void AbandonAttempts();
    void FailConnection(std::int32_t number, const char* source);
    void ForgetSocket(SOCKET handle);
    void RaiseError(std::int32_t number, const std::string& source);
    // Reads and raises what is waiting before a failed close destroys the socket.
    void ReadOutBeforeFailure(SOCKET handle);
    void FillLocalEnd(bool lookUpName);

    // Copies a handler before calling it, so a handler that replaces the events is safe.
    template <typename Handler, typename... Args>
    void Raise(const Handler& handler, Args&&... args) {
        const Handler copy = handler;
        if (copy) copy(std::forward<Args>(args)...);
    }

    std::int32_t identity_ = 0;
    std::int32_t ResolvePurpose_ = 0;
    std::int32_t Protocol_ = ProtocolTcp;
    std::int32_t State_ = StateClosed;
    std::int32_t BytesReceived_ = 0;
    std::string LocalHostName_;
    std::string LocalIP_;
    std::int32_t LocalPort_ = 0;
    std::string RemoteHost_;
    std::string RemoteHostIP_;
    std::int32_t RemotePort_ = 0;
    SOCKET SocketHandle_ = INVALID_SOCKET;
    int SocketFamily_ = 0;
    HANDLE ResolveRequest_ = nullptr;
    struct Attempt {
        SOCKET handle;
        int family;
        std::string addressText;
    };
    std::vector<Attempt> Attempts_;        // connecting now; SocketHandle_ may be one of them
    std::vector<HostAddress> Candidates_;  // not tried yet, in the order they will be
    UINT_PTR NextAttemptTimer_ = 0;
    std::string SendBuffer_;     // its unsent bytes start at SendStart_
    std::size_t SendStart_ = 0;  // sent bytes are skipped, not moved, so long sends stay linear
    std::string RecvBuffer_;
    bool LastReadFilled_ = false;  // the last read took all it asked for: more is on its way
    std::int32_t SendBufferSize_ = 0;
    std::int32_t RecvBufferSize_ = 0;
    std::int32_t MaxDatagramSize_ = 0;
    bool IsBound_ = false;
    bool SendPending_ = false;
    bool BroadcastOn_ = false;
    bool AwaitingResponse_ = false;
    bool AwaitingConnect_ = false;
    std::string LineBuffer_;
};

}  // namespace netpull
