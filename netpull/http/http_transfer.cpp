// One download: a single HTTP/1.1 GET, header and body, file, counters, speed and events.
#include "netpull/http/http_transfer.h"

#include <algorithm>
#include <cctype>

#include "netpull/socket/platform/event_loop.h"
#include "netpull/socket/platform/winsock.h"

namespace netpull::http {
namespace {

constexpr std::int32_t kHttpPort = 80;
constexpr std::uint32_t kSpeedWindowMs = 1000;

// Calls a handler through a copy, so that a handler that replaces the events is safe.
template <typename Handler, typename... Args>
void Raise(const Handler& handler, Args&&... args) {
    const Handler copy = handler;
    if (copy) copy(std::forward<Args>(args)...);
}

std::string RewrittenUrl(std::string url) {
    std::replace(url.begin(), url.end(), '\\', '/');
    std::transform(url.begin(), url.end(), url.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return url;
}

}  // namespace

HostAndPort HostOfUrl(const std::string& rewrittenUrl) {
    std::string host = rewrittenUrl;
    for (auto at = host.find("http://"); at != std::string::npos; at = host.find("http://")) host.erase(at, 7);
    host = host.substr(0, host.find('/'));
    const auto colon = host.rfind(':');
    if (colon == std::string::npos) return {host, kHttpPort};
    const std::string digits = host.substr(colon + 1);
    const bool numeric = !digits.empty() && digits.size() <= 5 &&
                         std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c); });
    if (!numeric || std::stoi(digits) < 1 || std::stoi(digits) > 65535) return {host, kHttpPort};
    return {host.substr(0, colon), std::stoi(digits)};
}

std::string RequestText(const std::string& requestUrl, const std::string& localIp, const std::string& remoteHost) {
    return "GET " + requestUrl + "  HTTP/1.1\r\n"
           "Accept: */*\r\n"
           "Referer: " + localIp + "\r\n"
           "Accept-Language: en -gb\r\n"
           // The body is saved as it comes, so it must come undecoded.
           "Accept-Encoding: identity\r\n"
           "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)\r\n"
           "Host: " + remoteHost + "\r\n"
           "Connection: Close\r\n"
           "\r\n";
}

std::shared_ptr<HTTPtransfer> HTTPtransfer::Create() { return std::shared_ptr<HTTPtransfer>(new HTTPtransfer()); }

HTTPtransfer::~HTTPtransfer() {
    if (Socket) Socket->events = {};
}

void HTTPtransfer::Download(std::string& URL, const std::string& SaveAs) {
    downloadedBytes_ = 0;
    savePath_ = SaveAs;
    const std::string requestUrl = URL;
    URL = RewrittenUrl(URL);
    const HostAndPort target = HostOfUrl(URL);
    OpenConnection(target.host, requestUrl, target.port);
}

void HTTPtransfer::OpenConnection(const std::string& host, const std::string& url, std::int32_t port) {
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
    Socket->events.OnError = [weak](std::int16_t number, std::string& description, std::int32_t, const std::string&,
                                    const std::string&, std::int32_t, bool&) {
        if (const auto self = weak.lock()) self->Socket_OnError(number, description);
    };
    Socket->Connect(Variant(hostName_), Variant(port_));
}

void HTTPtransfer::ResetTransfer() {
    ++generation_;
    if (Socket) Socket->events = {};
    Socket.reset();
    header_ = {};
    headerComplete_ = false;
    response_ = {};
    chunked_ = {};
    totalBytes_ = 0;
    output_.Close();
}

void HTTPtransfer::Socket_OnConnect() {
    const auto self = shared_from_this();
    const std::uint64_t generation = generation_;
    Raise(events.FoundServer);
    if (Raised(generation) || !Socket) return;
    Socket->SendData(Variant(RequestText(requestUrl_, Socket->LocalIP(), Socket->RemoteHost())));
}

void HTTPtransfer::Socket_OnDataArrival() {
    const auto self = shared_from_this();
    const std::uint64_t generation = generation_;
    Variant chunk;
    Socket->GetData(chunk);
    const std::string* bytes = chunk.Get<std::string>();
    if (bytes == nullptr) return;
    if (!headerComplete_) return HeaderArrival(*bytes);
    BodyArrival(*bytes, true);
    if (!Raised(generation)) Raise(events.Progress, downloadedBytes_, totalBytes_);
}

void HTTPtransfer::HeaderArrival(std::string_view arrival) {
    switch (header_.Add(arrival)) {
        case HeaderGatherer::State::TooLarge:
            return Fail(kHeaderTooLarge, "response header too large");
        case HeaderGatherer::State::Gathering:
            return Raise(events.Progress, downloadedBytes_, totalBytes_);
        case HeaderGatherer::State::Complete: break;
    }
    headerComplete_ = true;
    response_ = ParseResponseHeader(header_.Text());
    if (!StartBody(response_)) return;
    const std::string body = header_.TakeBody();
    // The bytes that came with the header end count, but not in the speed window, and they
    // raise no progress.
    if (!body.empty()) BodyArrival(body, false);
}

// Checks the status before anything touches the save path, then creates the file.
bool HTTPtransfer::StartBody(const ResponseHeader& header) {
    if (header.statusLineSeen && !header.status) {
        Fail(kBadStatusLine, "malformed status line");
        return false;
    }
    if (header.statusLineSeen && *header.status != 200) {
        Fail(*header.status, "server error");
        return false;
    }
    totalBytes_ = header.chunked ? 0 : header.contentLength.value_or(0);
    if (const std::string reason = output_.Create(savePath_); !reason.empty()) {
        Fail(kFileError, "cannot create " + savePath_ + ": " + reason);
        return false;
    }
    return true;
}

void HTTPtransfer::BodyArrival(std::string_view bytes, bool countSpeed) {
    std::string decoded;
    if (response_.chunked) {
        if (chunked_.Feed(bytes, decoded) == ChunkedDecoder::State::Bad)
            return Fail(kBadChunkedBody, "malformed chunked body");
        bytes = decoded;
    }
    downloadedBytes_ += static_cast<std::int64_t>(bytes.size());
    if (countSpeed) {
        const std::uint32_t now = platform::GetTickCount();
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

void HTTPtransfer::Socket_OnClose() {
    const auto self = shared_from_this();
    const std::uint64_t generation = generation_;
    platform::HostPump();
    if (Raised(generation)) return;
    if (Socket) Socket->events = {};
    Socket.reset();
    const bool complete = headerComplete_ &&
                          (response_.chunked ? chunked_.CurrentState() == ChunkedDecoder::State::Done
                                             : !response_.contentLength || downloadedBytes_ == totalBytes_);
    output_.Close();
    if (!complete) return Fail(kConnectionLost, "connection lost");
    Raise(events.Downloaded);
    if (!Raised(generation)) ResetTransfer();
}

void HTTPtransfer::Socket_OnError(std::int16_t number, const std::string& description) {
    const auto self = shared_from_this();
    const std::uint64_t generation = generation_;
    Raise(events.Error, static_cast<std::int32_t>(number), description);
    // The connection is gone: the file is closed, the counters stay.
    if (!Raised(generation)) ResetTransfer();
}

// Ends the download with Error; the connection and the file are closed afterwards unless a
// handler of the event already moved the transfer on.
void HTTPtransfer::Fail(std::int32_t number, const std::string& description) {
    const auto self = shared_from_this();
    const std::uint64_t generation = generation_;
    output_.Close();
    Raise(events.Error, number, description);
    if (Raised(generation)) return;
    if (Socket) {
        Socket->events = {};
        Socket->CloseSocket();
    }
    if (!Raised(generation)) ResetTransfer();
}

void HTTPtransfer::Cancel() {
    const auto self = shared_from_this();
    if (Socket) {
        Socket->events = {};
        Socket->CloseSocket();
    }
    platform::HostPump();
    ResetTransfer();
}

}  // namespace netpull::http
