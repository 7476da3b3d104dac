// URLs as RFC 3986 writes them: a reference split into its five parts, resolved against a
// base, and read as an http:// or https:// URL (userinfo, host, port, path, query), for the
// caller's URL and for every Location a server answers with.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace netpull::http {

inline constexpr std::int32_t kHttpPort = 80;
inline constexpr std::int32_t kHttpsPort = 443;

// A URI reference split as RFC 3986 appendix B does; a part that is absent differs from an
// empty one ("http://h?" has an empty query, "http://h" none).
struct UriReference {
    std::optional<std::string> scheme;
    std::optional<std::string> authority;
    std::string path;
    std::optional<std::string> query;
    std::optional<std::string> fragment;
};

UriReference SplitReference(std::string_view text);
// The reference put together again (RFC 3986 section 5.3).
std::string Recompose(const UriReference& reference);
// The target of a reference against an absolute base (RFC 3986 section 5.2, strict).
UriReference Resolve(const UriReference& base, const UriReference& reference);
std::string RemoveDotSegments(std::string_view path);

// The bytes of an IP address in text: 4 for dotted IPv4, 16 for IPv6 (RFC 4291 section 2.2,
// in brackets or not); nothing for other text.
std::optional<std::vector<std::uint8_t>> IpAddressBytes(std::string_view text);

// An absolute http:// or https:// URL, read.
struct HttpUrl {
    bool secure = false;                  // https://
    std::optional<std::string> userinfo;  // as written, percent-encoded
    std::string host;                     // lower case; an IPv6 address without its brackets
    bool ipv6 = false;
    std::int32_t port = kHttpPort;
    std::string path;  // as written: empty or starting with "/"
    std::optional<std::string> query;

    std::int32_t SchemePort() const { return secure ? kHttpsPort : kHttpPort; }
    // The URL without userinfo and fragment, as a base for the references it answers with.
    UriReference Reference() const;
};

// Reads an absolute reference as an http:// or https:// URL. Another scheme throws the
// socket layer's SocketError kUnsupportedScheme; an empty host, a bracketed host that is not
// an IPv6 address, a port outside 1 to 65535, or characters a host cannot hold throw
// kMalformedUrl. Both name `source` as the failure's source.
HttpUrl ReadHttpUrl(const UriReference& reference, const char* source);

// The caller's URL: "\" read as "/", and without "scheme://" an http:// URL, so that
// "server:8080/a" is host "server", port 8080.
HttpUrl ReadCallersUrl(std::string_view url);

// The request target in origin form: path ("/" when empty) and query; bytes a request line
// cannot carry are percent-encoded.
std::string RequestTarget(const HttpUrl& url);
// The Host field's value: the host (an IPv6 address in brackets), and ":port" when the port
// is not the scheme's own.
std::string HostField(const HttpUrl& url);
// The Authorization field's value for the URL's userinfo, "Basic " and the percent-decoded
// "user:password" in base64 (RFC 7617); nothing without userinfo.
std::optional<std::string> BasicCredentials(const HttpUrl& url);

}  // namespace netpull::http
