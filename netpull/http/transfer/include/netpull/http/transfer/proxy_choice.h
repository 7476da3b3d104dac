// The proxy a download goes through, chosen from the environment as curl chooses it:
// http_proxy for http:// (never HTTP_PROXY, which a CGI environment can set), https_proxy or
// HTTPS_PROXY for https://, else all_proxy or ALL_PROXY; no_proxy or NO_PROXY lists the hosts
// reached directly. On Windows, without these variables, the user's system proxy settings.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "netpull/http/transfer/url.h"

namespace netpull::http {

// The port of a proxy URL that names none, as curl has it.
inline constexpr std::int32_t kDefaultProxyPort = 1080;

// Reads one environment variable; nothing when it is not set.
using ReadVariable = std::function<std::optional<std::string>(const char* name)>;

// The proxy for a URL from the variables `read` gives, or nothing to go direct. A proxy URL
// without "scheme://" is an http:// one. A proxy of another scheme than http:// throws
// SocketError kUnsupportedScheme, one that cannot be read kMalformedUrl.
std::optional<HttpUrl> ProxyFromEnvironment(const HttpUrl& target, const ReadVariable& read);

// Whether a no_proxy list sends the URL's host directly: "*" sends every host; each entry,
// comma-separated, is a host name that matches itself and its subdomains (a leading "." is
// the same), an IP address, or a CIDR range such as 10.0.0.0/8 or fd00::/8.
bool BypassesProxy(std::string_view noProxy, const HttpUrl& target);

// The proxy for a URL in this process: its environment, and on Windows, where no variable
// names one, the user's system settings.
std::optional<HttpUrl> ProxyFor(const HttpUrl& target);

// The system's proxy for a URL where the environment names none: on Windows the Internet
// settings as WinHTTP reads them; nothing on Linux.
std::optional<HttpUrl> SystemProxyFor(const HttpUrl& target);

// The proxy of the system settings for a URL: `servers` as Windows writes them ("host:port"
// for every scheme, or "http=host:port;https=host:port"), unless the URL's host matches an
// entry of `bypass` (";"-separated, "*" for any characters, "<local>" for names without a
// dot).
std::optional<HttpUrl> ChooseSystemProxy(std::string_view servers, std::string_view bypass,
                                         const HttpUrl& target);

// Reads a proxy server as a setting gives it ("host:port", "http://user:pw@host:port").
HttpUrl ReadProxyUrl(std::string_view text);

}  // namespace netpull::http
