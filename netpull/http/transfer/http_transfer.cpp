// One download: a single HTTP/1.1 GET, header and body, file, counters, speed and events.
#include "netpull/http/transfer/http_transfer.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <utility>

#include "netpull/socket/socket_error.h"
#include "netpull/socket/socket_loop.h"
#include "netpull/socket/windows_api.h"
#include "tls_session.h"
#include "transfer_timeouts.h"

namespace netpull::http {
namespace {

constexpr std::uint32_t kSpeedWindowMs = 1000;
constexpr std::int32_t kTimedOut = WSAETIMEDOUT;

TransferTimeouts& Timeouts() {
    static TransferTimeouts timeouts;
    return timeouts;
}

// The transfer behind each running timeout timer.
std::map<UINT_PTR, std::weak_ptr<HTTPtransfer>>& TimerOwners() {
    static std::map<UINT_PTR, std::weak_ptr<HTTPtransfer>> owners;
    return owners;
}

// Calls a handler through a copy, so that a handler that replaces the events is safe.
template <typename Handler, typename... Args>
void Raise(const Handler& handler, Args&&... args) {
    const Handler copy = handler;
    if (copy) copy(std::forward<Args>(args)...);
}

std::string RewrittenUrl(std::string url) {
    std::replace(url.begin(), url.end(), '\\', '/');
    std::transform(url.begin(), url.end(), url.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return url;
}

}  // namespace

const TransferTimeouts& CurrentTransferTimeouts() {
    return Timeouts();
}
void SetTransferTimeoutsForTesting(const TransferTimeouts& timeouts) {
    Timeouts() = timeouts;
}

std::string RequestText(const std::string& target, const std::string& localIp,
                        const std::string& hostField, const std::optional<std::string>& credentials,
                        const std::optional<std::string>& proxyCredentials) {
    const std::string authorization =
        (credentials ? "Authorization: " + *credentials + "\r\n" : std::string()) +
        (proxyCredentials ? "Proxy-Authorization: " + *proxyCredentials + "\r\n" : std::string());
    return "GET " + target +
           " HTTP/1.1\r\n"
           "Accept: */*\r\n"
           "Referer: " +
           localIp +
           "\r\n"
           "Accept-Language: en -gb\r\n"
           // The body is saved as it comes, so it must come undecoded.
           "Accept-Encoding: identity\r\n"
           "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)\r\n"
           "Host: " +
           hostField + "\r\n" + authorization +
           "Connection: Close\r\n"
           "\r\n";
}

std::string ConnectText(const HttpUrl& target, const std::optional<std::string>& proxyCredentials) {
    const std::string authority =
        (target.ipv6 ? "[" + target.host + "]" : target.host) + ":" + std::to_string(target.port);
    return "CONNECT " + authority + " HTTP/1.1\r\nHost: " + authority + "\r\n" +
           (proxyCredentials ? "Proxy-Authorization: " + *proxyCredentials + "\r\n"
                             : std::string()) +
           "\r\n";
}

std::shared_ptr<HTTPtransfer> HTTPtransfer::Create() {
    return std::shared_ptr<HTTPtransfer>(new HTTPtransfer());
}

HTTPtransfer::~HTTPtransfer() {
    StopTimeoutTimer();
    if (Socket) Socket->events = {};
}

void HTTPtransfer::Download(std::string& URL, const std::string& SaveAs) {
    const std::string requestUrl = URL;
    URL = RewrittenUrl(URL);
    // A URL of another scheme, or one that cannot be read, is refused before anything
    // changes: a running download goes on.
    const HttpUrl target = ReadCallersUrl(requestUrl);
    const std::optional<HttpUrl> proxy = ProxyFor(target);
    // A folder cannot take the body: refused before a byte is asked for.
    if (const std::string reason = OutputFile::CheckSavePath(SaveAs); !reason.empty())
        throw SocketError(kFileError, "HTTP.Download", "cannot create " + SaveAs + ": " + reason);
    downloadedBytes_ = 0;
    savePath_ = SaveAs;
    url_ = target;
    proxy_ = proxy;
    credentials_ = BasicCredentials(target);
    namedHost_ = target.host;
    namedPort_ = target.port;
    redirects_ = 0;
    foundServer_ = false;
    OpenConnection(target.host, requestUrl, target.port);
}

void HTTPtransfer::OpenConnection(const std::string& host, const std::string& url,
                                  std::int32_t port) {
    ResetTransfer();
    if (!host.empty()) hostName_ = host;
    if (!url.empty()) requestUrl_ = url;
    if (port != 0) port_ = port;
    Socket = CSocket::Create();
    const std::weak_ptr<HTTPtransfer> weak = weak_from_this();
    Socket->events.OnConnect = [weak] {
        if (const auto self = weak.lock()) self->Socket_OnConnect();
    };
    Socket->events.OnDataArrival = [weak](std::int32_t) {
        if (const auto self = weak.lock()) self->Socket_OnDataArrival();
    };
    Socket->events.OnClose = [weak] {
        if (const auto self = weak.lock()) self->Socket_OnClose();
    };
    Socket->events.OnError = [weak](std::int16_t number, std::string& description, std::int32_t,
                                    const std::string&, const std::string&, std::int32_t, bool&) {
        if (const auto self = weak.lock()) self->Socket_OnError(number, description);
    };
    // Through a proxy, the connection goes to the proxy.
    if (proxy_)
        Socket->Connect(Variant(proxy_->host), Variant(proxy_->port));
    else
        Socket->Connect(Variant(hostName_), Variant(port_));
    StartTimeoutTimer();
}

void HTTPtransfer::ResetTransfer() {
    ++generation_;
    StopTimeoutTimer();
    if (Socket) Socket->events = {};
    Socket.reset();
    header_ = {};
    headerComplete_ = false;
    response_ = {};
    chunked_ = {};
    totalBytes_ = 0;
    receivedBytes_ = 0;
    connected_ = false;
    tunnel_ = Tunnel::None;
    tunnelHeader_ = {};
    tls_.reset();
    pendingRequest_.clear();
    output_.Discard();
}

void HTTPtransfer::StartTimeoutTimer() {
    lastActivity_ = loop::TickCount();
    if (timeoutTimer_ != 0) return;
    // Checked a few times within the shorter limit, so that the end comes close to it.
    const TransferTimeouts& limits = Timeouts();
    const auto check =
        std::clamp<std::uint32_t>(std::min(limits.connectMs, limits.silenceMs) / 8, 10, 1000);
    timeoutTimer_ = SetTimer(0, 0, check, &HTTPtransfer::TimeoutTimerProc);
    if (timeoutTimer_ != 0) TimerOwners()[timeoutTimer_] = weak_from_this();
}

void HTTPtransfer::StopTimeoutTimer() {
    if (timeoutTimer_ == 0) return;
    KillTimer(0, timeoutTimer_);
    TimerOwners().erase(timeoutTimer_);
    timeoutTimer_ = 0;
}

void CALLBACK HTTPtransfer::TimeoutTimerProc(HWND, UINT, UINT_PTR timer, DWORD) {
    const auto found = TimerOwners().find(timer);
    if (found == TimerOwners().end()) return;
    if (const auto self = found->second.lock()) self->CheckTimeout();
}

void HTTPtransfer::CheckTimeout() {
    if (!Socket) return StopTimeoutTimer();
    const std::uint32_t limit = connected_ ? Timeouts().silenceMs : Timeouts().connectMs;
    if (loop::TickCount() - lastActivity_ > limit) Fail(kTimedOut, SocketErrorText(kTimedOut));
}

void HTTPtransfer::Socket_OnConnect() {
    const auto self = shared_from_this();
    const std::uint64_t generation = generation_;
    connected_ = true;
    lastActivity_ = loop::TickCount();
    if (!std::exchange(foundServer_, true)) Raise(events.FoundServer);
    if (Raised(generation) || !Socket) return;
    // Through a proxy, http:// asks the proxy for the absolute URL; https:// asks it for a
    // tunnel first, and the request waits for the handshake through it.
    const bool viaProxy = proxy_ && !url_.secure;
    const std::string request = RequestText(
        viaProxy ? "http://" + HostField(url_) + RequestTarget(url_) : RequestTarget(url_),
        Socket->LocalIP(), HostField(url_), credentials_,
        viaProxy ? BasicCredentials(*proxy_) : std::nullopt);
    if (!url_.secure) return Socket->SendData(Variant(request));
    pendingRequest_ = request;
    if (!proxy_) return StartTls();
    tunnel_ = Tunnel::Asking;
    Socket->SendData(Variant(ConnectText(url_, BasicCredentials(*proxy_))));
}

// Over TLS the request waits for the handshake, which the silence limit covers.
void HTTPtransfer::StartTls() {
    tls_ = TlsSession::Create(hostName_);
    std::string records;
    const bool started = tls_->Start(records);
    if (!records.empty()) Socket->SendData(Variant(records));
    if (!started) Fail(tls_->Failed().number, tls_->Failed().description);
}

// The proxy's answer to CONNECT: a 2xx opens the tunnel, in which TLS to the server begins.
void HTTPtransfer::TunnelArrival(std::string_view bytes) {
    HeaderGatherer::State state = tunnelHeader_.Add(bytes);
    ResponseHeader parsed;
    while (state == HeaderGatherer::State::Complete &&
           (parsed = ParseResponseHeader(tunnelHeader_.Text())).Interim())
        state = tunnelHeader_.NextHeader();
    switch (state) {
        case HeaderGatherer::State::TooLarge:
            return Fail(kHeaderTooLarge, "response header too large");
        case HeaderGatherer::State::Gathering:
            if (!MayBeginStatusLine(tunnelHeader_.Text()))
                return Fail(kBadStatusLine, "malformed status line from the proxy");
            return;
        case HeaderGatherer::State::Complete:
            break;
    }
    if (!parsed.statusLineValid)
        return Fail(kBadStatusLine, "malformed status line from the proxy");
    if (parsed.status == 407) return Fail(407, "proxy authentication required");
    if (parsed.status < 200 || parsed.status > 299)
        return Fail(parsed.status, "proxy refused the tunnel");
    // The server speaks after the client's first TLS record: nothing can come before it.
    if (!tunnelHeader_.TakeBody().empty())
        return Fail(kTlsHandshakeFailed, "TLS handshake failed: bytes before the handshake");
    tunnel_ = Tunnel::Open;
    StartTls();
}

void HTTPtransfer::Socket_OnDataArrival() {
    const auto self = shared_from_this();
    lastActivity_ = loop::TickCount();
    Variant chunk;
    Socket->GetData(chunk);
    const std::string* bytes = chunk.Get<std::string>();
    if (bytes == nullptr) return;
    receivedBytes_ += static_cast<std::int64_t>(bytes->size());
    if (tunnel_ == Tunnel::Asking) return TunnelArrival(*bytes);
    if (!tls_) return PlainArrival(*bytes);
    // The buffers' memory serves every arrival; the decrypted bytes are this call's own while
    // handlers run, in case one pumps messages and another arrival comes meanwhile.
    std::string plain = std::exchange(tlsPlain_, {});
    plain.clear();
    tlsRecords_.clear();
    const bool wasEstablished = tls_->Established();
    bool sound = tls_->Receive(*bytes, plain, tlsRecords_);
    if (sound && !wasEstablished && tls_->Established())
        sound = tls_->Encrypt(std::exchange(pendingRequest_, {}), tlsRecords_);
    if (!tlsRecords_.empty()) Socket->SendData(Variant(tlsRecords_));
    if (!sound) return Fail(tls_->Failed().number, tls_->Failed().description);
    const std::uint64_t generation = generation_;
    if (!plain.empty()) PlainArrival(plain);
    tlsPlain_ = std::move(plain);
    // close_notify ends the response as the end of the connection would, whether or not the
    // server then closes it.
    if (!Raised(generation) && tls_ && tls_->PeerClosed()) Socket_OnClose();
}

// Bytes of the response as the server sent them, decrypted when the connection runs TLS.
void HTTPtransfer::PlainArrival(std::string_view bytes) {
    const std::uint64_t generation = generation_;
    if (!headerComplete_) return HeaderArrival(bytes);
    BodyArrival(bytes, true);
    if (Raised(generation)) return;
    Raise(events.Progress, downloadedBytes_, totalBytes_);
    if (!Raised(generation) && BodyComplete()) Finish();
}

void HTTPtransfer::HeaderArrival(std::string_view arrival) {
    HeaderGatherer::State state = header_.Add(arrival);
    // Interim responses ("100 Continue", "103 Early Hints") are passed over; each complete
    // header is read once.
    ResponseHeader parsed;
    while (state == HeaderGatherer::State::Complete &&
           (parsed = ParseResponseHeader(header_.Text())).Interim())
        state = header_.NextHeader();
    switch (state) {
        case HeaderGatherer::State::TooLarge:
            return Fail(kHeaderTooLarge, "response header too large");
        case HeaderGatherer::State::Gathering:
            if (!MayBeginStatusLine(header_.Text()))
                return Fail(kBadStatusLine, "malformed status line");
            return Raise(events.Progress, downloadedBytes_, totalBytes_);
        case HeaderGatherer::State::Complete:
            break;
    }
    headerComplete_ = true;
    response_ = parsed;
    if (!StartBody(response_)) return;
    const std::uint64_t generation = generation_;
    const std::string body = header_.TakeBody();
    // The bytes that came with the header end count, but not in the speed window, and they
    // raise no progress.
    if (!body.empty()) BodyArrival(body, false);
    if (!Raised(generation) && BodyComplete()) Finish();
}

// The same request to where a redirect points, on a connection of its own: the Location read
// against the URL of this response. The caller's credentials go only to the host and port the
// caller named.
void HTTPtransfer::FollowRedirect(const std::string& location) {
    if (++redirects_ > kMaxRedirects) return Fail(kTooManyRedirects, "too many redirects");
    HttpUrl next;
    std::optional<HttpUrl> proxy;
    try {
        next = ReadHttpUrl(Resolve(url_.Reference(), SplitReference(location)), "HTTP.Download");
        proxy = ProxyFor(next);
    } catch (const SocketError& e) {
        return Fail(e.Number(), e.Description() + " (Location: " + location + ")");
    }
    if (url_.secure && !next.secure)
        return Fail(kInsecureRedirect, "redirect from https:// to http:// refused");
    if (next.host != namedHost_ || next.port != namedPort_) credentials_.reset();
    url_ = next;
    proxy_ = proxy;
    try {
        OpenConnection(next.host, {}, next.port);
    } catch (const SocketError& e) {
        Fail(e.Number(), e.Description());
    }
}

// Checks the status and the framing before anything touches the save path, then creates the
// file.
bool HTTPtransfer::StartBody(const ResponseHeader& header) {
    if (!header.statusLineValid) {
        Fail(kBadStatusLine, "malformed status line");
        return false;
    }
    if (!header.fieldLinesValid) {
        Fail(kBadStatusLine, "malformed header line");
        return false;
    }
    if (header.Redirect() && header.location) {
        FollowRedirect(*header.location);
        return false;
    }
    if (header.status == 407 && proxy_) {
        Fail(407, "proxy authentication required");
        return false;
    }
    if (header.status != 200) {
        // Where the server pointed, for a host to show.
        Fail(header.status, header.location ? "server error (Location: " + *header.location + ")"
                                            : "server error");
        return false;
    }
    if (header.UnsupportedCodings()) {
        Fail(kBadChunkedBody, "unsupported transfer coding: " + header.transferCodings);
        return false;
    }
    if (!header.Chunked() && !header.contentLengthValid) {
        Fail(kBadContentLength, "malformed content length");
        return false;
    }
    totalBytes_ = header.Chunked() ? 0 : header.contentLength.value_or(0);
    if (const std::string reason = output_.Create(savePath_); !reason.empty()) {
        Fail(kFileError, "cannot create " + savePath_ + ": " + reason);
        return false;
    }
    return true;
}

void HTTPtransfer::BodyArrival(std::string_view bytes, bool countSpeed) {
    std::string decoded;
    if (response_.Chunked()) {
        if (chunked_.Feed(bytes, decoded) == ChunkedDecoder::State::Bad)
            return Fail(kBadChunkedBody, "malformed chunked body");
        bytes = decoded;
    } else if (response_.contentLength) {
        // Bytes past the announced length are no part of the resource.
        bytes = bytes.substr(
            0, static_cast<std::size_t>(std::max<std::int64_t>(totalBytes_ - downloadedBytes_, 0)));
    }
    downloadedBytes_ += static_cast<std::int64_t>(bytes.size());
    if (countSpeed) {
        const std::uint32_t now = loop::TickCount();
        if (now - windowStart_ > kSpeedWindowMs) {
            windowStart_ = now;
            bytesPerSecond_ = windowBytes_;
            windowBytes_ = 0;
        }
        windowBytes_ += static_cast<std::int64_t>(bytes.size());
    }
    if (const std::string reason = output_.Write(bytes); !reason.empty())
        Fail(kFileError, "cannot write " + savePath_ + ": " + reason);
}

// The body is whole once its announced length or its last chunk is in: the download ends
// there, whether or not the server closes the connection.
bool HTTPtransfer::BodyComplete() const {
    if (!headerComplete_ || !output_.IsOpen()) return false;
    if (response_.Chunked()) return chunked_.CurrentState() == ChunkedDecoder::State::Done;
    return response_.contentLength && downloadedBytes_ >= totalBytes_;
}

// Releasing the socket closes the connection without pumping messages, so nothing can come
// between the last byte and Downloaded.
void HTTPtransfer::Finish() {
    const auto self = shared_from_this();
    const std::uint64_t generation = generation_;
    StopTimeoutTimer();
    if (Socket) Socket->events = {};
    Socket.reset();
    if (const std::string reason = output_.Keep(); !reason.empty())
        return Fail(kFileError, "cannot write " + savePath_ + ": " + reason);
    Raise(events.Downloaded);
    if (!Raised(generation)) ResetTransfer();
}

void HTTPtransfer::Socket_OnClose() {
    const auto self = shared_from_this();
    const std::uint64_t generation = generation_;
    loop::HostPump();
    if (Raised(generation)) return;
    if (Socket) Socket->events = {};
    Socket.reset();
    if (tls_ && !tls_->Established())
        return Fail(kTlsHandshakeFailed, "TLS handshake failed: the server closed the connection");
    // A body without a length ends with the connection (over TLS, with the server's
    // close_notify, without which it may be cut short); any other ends before it.
    const bool complete = headerComplete_ && output_.IsOpen() && !response_.Chunked() &&
                          !response_.contentLength && (!tls_ || tls_->PeerClosed());
    if (!complete) return Fail(kConnectionLost, "connection lost");
    if (const std::string reason = output_.Keep(); !reason.empty())
        return Fail(kFileError, "cannot write " + savePath_ + ": " + reason);
    Raise(events.Downloaded);
    if (!Raised(generation)) ResetTransfer();
}

void HTTPtransfer::Socket_OnError(std::int16_t number, const std::string& description) {
    const auto self = shared_from_this();
    const std::uint64_t generation = generation_;
    output_.Discard();
    Raise(events.Error, static_cast<std::int32_t>(number), description);
    // The connection is gone: the temporary file goes, the counters stay.
    if (!Raised(generation)) ResetTransfer();
}

// Ends the download with Error; the temporary file goes at once, the connection after the
// event unless a handler of the event already moved the transfer on.
void HTTPtransfer::Fail(std::int32_t number, const std::string& description) {
    const auto self = shared_from_this();
    const std::uint64_t generation = generation_;
    StopTimeoutTimer();
    output_.Discard();
    Raise(events.Error, number, description);
    if (Raised(generation)) return;
    if (Socket) {
        Socket->events = {};
        Socket->CloseSocket();
    }
    if (!Raised(generation)) ResetTransfer();
}

// The bytes written so far stay at the save path. A handler that runs while messages are
// pumped here and starts a new download on this transfer keeps it.
void HTTPtransfer::Cancel() {
    const auto self = shared_from_this();
    const std::uint64_t generation = generation_;
    StopTimeoutTimer();
    output_.Keep();
    if (Socket) {
        Socket->events = {};
        Socket->CloseSocket();
    }
    loop::HostPump();
    if (!Raised(generation)) ResetTransfer();
}

}  // namespace netpull::http
