// One download: a single HTTP/1.1 GET over the socket layer, the response header split from
// the body as data arrives, the body written to a file, counters and a speed window, and four
// events. Every download that is not cancelled ends in exactly one Downloaded or Error.
//
// Transfers live in std::shared_ptr: a handler of one of its events may cancel it, start
// another download, or drop the last reference to it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "netpull/http/transfer/chunked_decoder.h"
#include "netpull/http/transfer/output_file.h"
#include "netpull/http/transfer/proxy_choice.h"
#include "netpull/http/transfer/response_header.h"
#include "netpull/http/transfer/transfer_errors.h"
#include "netpull/http/transfer/url.h"
#include "netpull/socket/csocket.h"
#include "netpull/socket/windows_api.h"

namespace netpull::http {

class TlsSession;

class HTTPtransfer : public std::enable_shared_from_this<HTTPtransfer> {
  public:
    struct Events {
        std::function<void()> FoundServer;
        std::function<void(std::int64_t Bytes, std::int64_t ofBytes)> Progress;
        std::function<void()> Downloaded;
        std::function<void(std::int32_t Number, const std::string& Description)> Error;
    };

    static std::shared_ptr<HTTPtransfer> Create();
    ~HTTPtransfer();

    Events events;

    const std::string& URL() const { return requestUrl_; }
    const std::string& SaveAs() const { return savePath_; }
    std::int64_t BytesPerSecond() const { return bytesPerSecond_; }
    std::int64_t TotalBytes() const { return totalBytes_; }
    std::int64_t DownloadedBytes() const { return downloadedBytes_; }
    // Every byte read from the current connection, header and TLS records included.
    std::int64_t ReceivedBytes() const { return receivedBytes_; }

    // Starts the download; URL comes back with "\" turned into "/" and lower-cased. A URL of
    // another scheme than http:// or https://, a URL that cannot be read, or a failure to
    // start the connection, is raised as the socket layer's SocketError. Redirects are
    // followed; userinfo in the URL goes to its host as Basic credentials.
    void Download(std::string& URL, const std::string& SaveAs);
    void Cancel();

  private:
    HTTPtransfer() = default;
    void OpenConnection(const std::string& host, const std::string& url, std::int32_t port);
    void FollowRedirect(const std::string& location);
    void StartTls();
    void TunnelArrival(std::string_view bytes);
    void ResetTransfer();
    void Socket_OnConnect();
    void Socket_OnDataArrival();
    void PlainArrival(std::string_view bytes);
    void Socket_OnClose();
    void Socket_OnError(std::int16_t number, const std::string& description);
    void HeaderArrival(std::string_view arrival);
    bool StartBody(const ResponseHeader& header);
    void BodyArrival(std::string_view bytes, bool countSpeed);
    bool BodyComplete() const;
    void Finish();
    void Fail(std::int32_t number, const std::string& description);
    void StartTimeoutTimer();
    void StopTimeoutTimer();
    void CheckTimeout();
    static void CALLBACK TimeoutTimerProc(HWND, UINT, UINT_PTR timer, DWORD);
    bool Raised(std::uint64_t generation) const { return generation != generation_; }

    std::string hostName_;
    std::string requestUrl_;
    std::int32_t port_ = kHttpPort;
    HttpUrl url_;                             // the URL of the current connection
    std::optional<std::string> credentials_;  // for the host and port the caller named
    std::string namedHost_;
    std::int32_t namedPort_ = 0;
    int redirects_ = 0;
    bool foundServer_ = false;      // raised at the first connection only
    std::optional<HttpUrl> proxy_;  // the proxy the current connection goes through
    // https:// through a proxy: the tunnel is asked for, then open for TLS to the server.
    enum class Tunnel { None, Asking, Open };
    Tunnel tunnel_ = Tunnel::None;
    HeaderGatherer tunnelHeader_;
    std::string savePath_;
    HeaderGatherer header_;
    bool headerComplete_ = false;
    ResponseHeader response_;
    ChunkedDecoder chunked_;
    std::int64_t totalBytes_ = 0;
    std::int64_t downloadedBytes_ = 0;
    std::int64_t receivedBytes_ = 0;
    OutputFile output_;
    std::uint32_t windowStart_ = 0;
    std::int64_t windowBytes_ = 0;
    std::int64_t bytesPerSecond_ = 0;
    std::shared_ptr<CSocket> Socket;
    std::unique_ptr<TlsSession> tls_;  // over https://, once the connection is up
    std::string pendingRequest_;       // sent when the TLS handshake is done
    std::string tlsPlain_;             // the memory that arrivals decrypt into
    std::string tlsRecords_;           // what an arrival has the session send
    bool connected_ = false;           // the connection is up: the silence limit applies
    std::uint32_t lastActivity_ = 0;   // tick count of the start, the connection or the last byte
    UINT_PTR timeoutTimer_ = 0;
    // Changes whenever the transfer is reset, so that a step after an event can tell that a
    // handler cancelled or restarted the transfer meanwhile.
    std::uint64_t generation_ = 0;
};

// At most this many redirects are followed; the next one ends the download.
inline constexpr int kMaxRedirects = 10;

// The request text sent when the connection is up; credentials go as Authorization, those of
// a proxy as Proxy-Authorization.
std::string RequestText(const std::string& target, const std::string& localIp,
                        const std::string& hostField,
                        const std::optional<std::string>& credentials = std::nullopt,
                        const std::optional<std::string>& proxyCredentials = std::nullopt);

// The request that asks a proxy for a tunnel to the URL's host and port (RFC 9110 section
// 9.3.6).
std::string ConnectText(const HttpUrl& target, const std::optional<std::string>& proxyCredentials);

}  // namespace netpull::http
