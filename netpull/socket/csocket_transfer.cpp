// The socket object's data transfer: sending with progress and completion, reading into the
// receive buffer, GetData and PeekData, and the blocking operations that pump messages.
#include <algorithm>
#include <climits>
#include <vector>

#include "netpull/socket/csocket.h"
#include "netpull/socket/socket_loop.h"
#include "netpull/socket/socket_support.h"
#include "netpull/socket/windows_sockets.h"
#include "socket_addresses.h"

namespace netpull {
namespace {

namespace ms = MSocketSupport;

constexpr std::string_view kLineEnd = "\r\n";

// Milliseconds since start, right across the wrap of the 32-bit tick count.
std::uint32_t ElapsedSince(std::uint32_t start) {
    return GetTickCount() - start;
}

bool TimeIsUp(std::uint32_t start, std::int32_t wait) {
    return wait < 0 || ElapsedSince(start) > static_cast<std::uint32_t>(wait);
}

// Blocks until a message or a network event is there, or the wait's time is up, then pumps:
// every message is handled as soon as it comes, and no time is spent spinning between them.
void WaitAndPumpWithin(std::uint32_t start, std::int32_t wait) {
    const std::uint32_t elapsed = ElapsedSince(start);
    const std::uint32_t limit = static_cast<std::uint32_t>(std::max(wait, 0));
    MsgWaitForMultipleObjects(0, nullptr, FALSE, elapsed >= limit ? 0 : limit - elapsed + 1,
                              QS_ALLINPUT);
    loop::HostPump();
}

}  // namespace

void CSocket::SendData(const Variant& varData) {
    // The progress handler may drop the last other reference to this object.
    const std::shared_ptr<CSocket> self = shared_from_this();
    if (Protocol_ != ProtocolTcp) {
        if (!EnsureSocket(SocketFamilyOr(AF_INET))) return;
    } else if (SocketHandle_ == INVALID_SOCKET) {
        throw SocketError(ErrWrongState, "CSocket.SendData", kWrongStateText);
    }
    // Text goes out straight from the caller's value; only what the socket does not take at
    // once is copied into the send buffer.
    const std::string* text = varData.Get<std::string>();
    const std::string image = text == nullptr ? ToBytes(varData) : std::string();
    SendBuffer_.clear();
    SendStart_ = 0;
    SendPending_ = true;
    try {
        SendFrom(text != nullptr ? std::string_view(*text) : std::string_view(image), false);
    } catch (const SocketError&) {
        // Send failures end the call silently; the connection reports them itself.
    }
}

void CSocket::SendBuffered() {
    SendFrom(std::string_view(SendBuffer_).substr(SendStart_), true);
}

// Sends what the socket takes of the unsent bytes, which are the send buffer's tail (held) or
// the caller's; the rest stays in the send buffer for the next write notification. Windows
// posts that notification only after a send that would have blocked, so a stream send goes on
// until everything is sent or the socket would block.
void CSocket::SendFrom(std::string_view unsent, bool held) {
    const auto keepFrom = [&](std::size_t sent) {
        if (held) {
            SendStart_ += sent;
        } else {
            SendBuffer_.assign(unsent.substr(sent));
            SendStart_ = 0;
        }
    };
    SendPending_ = true;
    std::size_t sent = 0;
    int result = 0;
    if (Protocol_ == ProtocolTcp) {
        while (sent < unsent.size() && result != SOCKET_ERROR) {
            const auto chunk =
                static_cast<int>(std::min<std::size_t>(unsent.size() - sent, INT_MAX));
            result = send(SocketHandle_, unsent.data() + sent, chunk, 0);
            if (result != SOCKET_ERROR) sent += static_cast<std::size_t>(result);
        }
    } else if (!RemoteHostIP_.empty()) {
        const SocketAddress to =
            RecordOf(AddressOfText(RemoteHostIP_).value_or(HostAddress{}), RemotePort_);
        result = sendto(SocketHandle_, unsent.data(), static_cast<int>(unsent.size()), 0, to.Get(),
                        to.length);
        if (result != SOCKET_ERROR) sent = static_cast<std::size_t>(result);
    } else if (ResolvePurpose_ == 1 && ResolveRequest_ != nullptr) {
        // A write notification while the name is being resolved: the result will send.
        return keepFrom(0);
    } else {
        ResolvePurpose_ = 1;
        std::optional<SocketError> error;
        ResolveRequest_ = ms::ResolveHost(RemoteHost_, identity_, error);
    }
    if (result == SOCKET_ERROR) {
        if (WSAGetLastError() != WSAEWOULDBLOCK)
            throw SocketError::FromNumber(WSAGetLastError(), "CSocket.SendData");
        if (sent == 0) return keepFrom(0);
    }
    if (sent < unsent.size()) {
        keepFrom(sent);
    } else {
        SendBuffer_.clear();
        SendStart_ = 0;
        PostMessageA(ms::State().SocketWindow, ms::State().SocketMessageId,
                     static_cast<WPARAM>(SocketHandle_), FD_WRITE);
    }
    Raise(events.OnSendProgress, static_cast<std::int32_t>(sent),
          static_cast<std::int32_t>(SendBuffer_.size() - SendStart_));
}

// A read into an empty receive buffer that follows a full read, as in a long transfer, lands
// in the buffer itself, which the next GetData hands out whole: the bytes are not copied again.
// Any other read lands in a block shared by every socket object of the thread, and only the
// bytes read are appended to the receive buffer, which grows geometrically. Either way nothing
// is zero-filled for nothing, and an idle connection holds at most twice what it received.
std::int32_t CSocket::RecvToBuffer() {
    static std::vector<char> block;
    const auto size = static_cast<std::size_t>(std::max(RecvBufferSize_, 1));
    const auto appendFromBlock = [&](auto read) {
        if (block.size() < size) block.resize(size);
        const std::int32_t n = read(block.data());
        if (n != SOCKET_ERROR) RecvBuffer_.append(block.data(), static_cast<std::size_t>(n));
        return n;
    };
    std::int32_t n = 0;
    if (Protocol_ != ProtocolTcp) {
        n = appendFromBlock([&](char* into) {
            SocketAddress from;
            const int got =
                recvfrom(SocketHandle_, into, static_cast<int>(size), 0, from.Get(), &from.length);
            if (got != SOCKET_ERROR) {
                RemotePort_ = PortOf(from);
                RemoteHostIP_ = TextOf(AddressOf(from));
                RemoteHost_ = NameOfAddress(AddressOf(from), RemoteHostIP_);
            }
            return got;
        });
    } else if (RecvBuffer_.empty() && LastReadFilled_) {
        std::string landing(size, '\0');
        n = recv(SocketHandle_, landing.data(), static_cast<int>(size), 0);
        if (n != SOCKET_ERROR) {
            landing.resize(static_cast<std::size_t>(n));
            if (static_cast<std::size_t>(n) < size / 2) landing.shrink_to_fit();
            RecvBuffer_ = std::move(landing);
        }
    } else {
        n = appendFromBlock(
            [&](char* into) { return recv(SocketHandle_, into, static_cast<int>(size), 0); });
    }
    LastReadFilled_ = n == static_cast<std::int32_t>(size);
    if (n == SOCKET_ERROR) throw SocketError::FromNumber(WSAGetLastError(), "CSocket.RecvToBuffer");
    return n;
}

void CSocket::ExtractReceived(Variant& varData, bool peek, std::optional<std::int32_t> varType,
                              std::optional<std::int32_t> maxLen) {
    varData = std::string();
    if (RecvBuffer_.empty()) return;
    const std::int32_t limit = maxLen.value_or(0);
    std::string chunk;
    if (limit > 0 && static_cast<std::size_t>(limit) <= RecvBuffer_.size()) {
        chunk = RecvBuffer_.substr(0, static_cast<std::size_t>(limit));
        if (!peek) RecvBuffer_.erase(0, static_cast<std::size_t>(limit));
    } else {
        chunk = peek ? RecvBuffer_ : std::move(RecvBuffer_);
        if (!peek) RecvBuffer_.clear();
    }
    const int type = varType.value_or(vbString);
    varData = type == vbString ? Variant(std::move(chunk)) : FromBytes(chunk, type);
    BytesReceived_ = static_cast<std::int32_t>(RecvBuffer_.size());
}

void CSocket::GetData(Variant& varData, std::optional<std::int32_t> varType,
                      std::optional<std::int32_t> maxLen) {
    WithSource("CSocket.GetData", [&] { ExtractReceived(varData, false, varType, maxLen); });
}

void CSocket::PeekData(Variant& varData, std::optional<std::int32_t> varType,
                       std::optional<std::int32_t> maxLen) {
    WithSource("CSocket.PeekData", [&] { ExtractReceived(varData, true, varType, maxLen); });
}

bool CSocket::aWaitResponse(std::int32_t maxWait) {
    const std::shared_ptr<CSocket> self = shared_from_this();
    const std::uint32_t start = GetTickCount();
    AwaitingResponse_ = true;
    bool result = true;
    // Data that is already here is a response.
    if (!RecvBuffer_.empty()) AwaitingResponse_ = false;
    while (AwaitingResponse_) {
        if (TimeIsUp(start, maxWait) || State_ == StateClosed) {
            AwaitingResponse_ = false;
            result = false;
            break;
        }
        WaitAndPumpWithin(start, maxWait);
    }
    AwaitingResponse_ = false;
    return result;
}

Variant CSocket::FConnect(const Variant& server, const Variant& Port, bool WaitConnect) {
    const std::shared_ptr<CSocket> self = shared_from_this();
    // Armed before the first pump, so that a connection made during it ends the wait.
    AwaitingConnect_ = WaitConnect;
    try {
        Connect(server, Port);
    } catch (const SocketError&) {
        AwaitingConnect_ = false;
        throw;
    }
    loop::HostPump();
    const std::uint32_t start = GetTickCount();
    while (AwaitingConnect_) {
        if (TimeIsUp(start, defaultWait))
            AwaitingConnect_ = false;
        else
            WaitAndPumpWithin(start, defaultWait);
    }
    return {};
}

Variant CSocket::FSendData(const Variant& data, bool wait4response) {
    SendData(data);
    if (wait4response) aWaitResponse(defaultWait);
    return {};
}

Variant CSocket::TakeBufferedData(bool wait, bool peek) {
    // The wait runs handlers, which may drop the last other reference to this object.
    const std::shared_ptr<CSocket> self = shared_from_this();
    if (LineBuffer_.empty() && RecvBuffer_.empty() && wait) aWaitResponse(defaultWait);
    LineBuffer_ += RecvBuffer_;
    RecvBuffer_.clear();
    BytesReceived_ = 0;
    std::string result = LineBuffer_;
    if (!peek) LineBuffer_.clear();
    return result;
}

Variant CSocket::TakeBufferedLine(bool wait, bool peek) {
    const std::shared_ptr<CSocket> self = shared_from_this();
    if (LineBuffer_.empty() && RecvBuffer_.empty() && wait) aWaitResponse(defaultWait);
    LineBuffer_ += RecvBuffer_;
    RecvBuffer_.clear();
    BytesReceived_ = 0;
    const auto end = LineBuffer_.find(kLineEnd);
    if (end == std::string::npos) {
        std::string all = LineBuffer_;
        if (!peek) LineBuffer_.clear();
        return all;
    }
    std::string line = LineBuffer_.substr(0, end);
    if (!peek) LineBuffer_.erase(0, end + kLineEnd.size());
    return line;
}

Variant CSocket::FGetData(bool wait) {
    return TakeBufferedData(wait, false);
}
Variant CSocket::FPeekData(bool wait) {
    return TakeBufferedData(wait, true);
}
Variant CSocket::FGetLine(bool wait) {
    return TakeBufferedLine(wait, false);
}
Variant CSocket::FPeekLine(bool wait) {
    return TakeBufferedLine(wait, true);
}

bool CSocket::Eof() const {
    return LineBuffer_.empty() && RecvBuffer_.empty();
}

}  // namespace netpull
