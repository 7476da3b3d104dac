// The proxy of a download, from the environment as curl reads it, and the no_proxy list.
#include "netpull/http/transfer/proxy_choice.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <vector>

#include "netpull/http/transfer/transfer_errors.h"
#include "netpull/socket/socket_error.h"

namespace netpull::http {
namespace {

using Address = std::vector<std::uint8_t>;

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())) != 0)
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())) != 0)
        text.remove_suffix(1);
    return text;
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

// Whether the first `bits` bits of two addresses of one kind agree.
bool SamePrefix(const Address& a, const Address& b, unsigned bits) {
    for (std::size_t i = 0; i < a.size() && bits > 0; ++i, bits -= std::min(bits, 8u)) {
        const auto mask = static_cast<std::uint8_t>(0xFF << (8 - std::min(bits, 8u)));
        if ((a[i] & mask) != (b[i] & mask)) return false;
    }
    return true;
}

bool EntryMatches(std::string_view entry, const std::string& host) {
    const auto slash = entry.find('/');
    const std::optional<Address> address = IpAddressBytes(host);
    if (const auto range = IpAddressBytes(entry.substr(0, slash)); range) {
        if (!address || address->size() != range->size()) return false;
        const unsigned all = static_cast<unsigned>(range->size() * 8);
        unsigned bits = all;
        if (slash != std::string_view::npos) {
            const std::string_view length = entry.substr(slash + 1);
            const auto [end, error] =
                std::from_chars(length.data(), length.data() + length.size(), bits);
            if (error != std::errc{} || end != length.data() + length.size() || bits > all)
                return false;
        }
        return SamePrefix(*address, *range, bits);
    }
    if (entry.starts_with('.')) entry.remove_prefix(1);
    const std::string name = Lower(entry);
    return !name.empty() && (host == name || (host.size() > name.size() && host.ends_with(name) &&
                                              host[host.size() - name.size() - 1] == '.'));
}

std::optional<std::string> Variable(const ReadVariable& read, const char* name) {
    std::optional<std::string> value = read(name);
    if (value && Trimmed(*value).empty()) value.reset();
    return value;
}

// Whether a host matches a bypass entry of the system settings, "*" standing for any run of
// characters; "<local>" stands for every host name without a dot.
bool SystemBypassMatches(std::string_view pattern, std::string_view host) {
    if (pattern == "<local>")
        return host.find('.') == std::string_view::npos && !IpAddressBytes(host);
    std::size_t p = 0, h = 0, star = std::string_view::npos, resume = 0;
    while (h < host.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = h;
        } else if (p < pattern.size() && pattern[p] == host[h]) {
            ++p;
            ++h;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            h = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace

std::optional<HttpUrl> ChooseSystemProxy(std::string_view servers, std::string_view bypass,
                                         const HttpUrl& target) {
    const std::string host = Lower(target.host);
    std::string entries = Lower(bypass);
    std::replace(entries.begin(), entries.end(), ' ', ';');
    for (std::string_view rest = entries; !rest.empty();) {
        const auto end = rest.find(';');
        const std::string_view entry = Trimmed(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
        if (!entry.empty() && SystemBypassMatches(entry, host)) return std::nullopt;
    }
    // "host:port" for every scheme, or "http=host:port;https=host:port".
    const std::string_view wanted = target.secure ? "https=" : "http=";
    std::optional<std::string_view> chosen;
    for (std::string_view rest = servers; !rest.empty();) {
        const auto end = rest.find_first_of("; ");
        const std::string_view server = Trimmed(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
        if (server.empty()) continue;
        if (server.find('=') == std::string_view::npos) {
            if (!chosen) chosen = server;
        } else if (server.starts_with(wanted)) {
            chosen = server.substr(wanted.size());
            break;
        }
    }
    if (!chosen || chosen->empty()) return std::nullopt;
    return ReadProxyUrl(*chosen);
}

HttpUrl ReadProxyUrl(std::string_view text) {
    std::string url(Trimmed(text));
    if (url.find("://") == std::string::npos) url.insert(0, "http://");
    const UriReference reference = SplitReference(url);
    if (Lower(reference.scheme.value_or("")) != "http")
        throw SocketError(kUnsupportedScheme, "HTTP.Download",
                          "unsupported proxy scheme: " + Lower(reference.scheme.value_or("")));
    HttpUrl proxy = ReadHttpUrl(reference, "HTTP.Download");
    // Without a port of its own, curl's proxy port.
    std::string_view authority = *reference.authority;
    authority.remove_prefix(
        authority.rfind('@') == std::string_view::npos ? 0 : authority.rfind('@') + 1);
    const auto close = authority.find(']');
    const std::string_view afterHost =
        authority.substr(close == std::string_view::npos ? 0 : close);
    if (afterHost.find(':') == std::string_view::npos ||
        afterHost.substr(afterHost.find(':') + 1).empty())
        proxy.port = kDefaultProxyPort;
    return proxy;
}

bool BypassesProxy(std::string_view noProxy, const HttpUrl& target) {
    if (Trimmed(noProxy) == "*") return true;
    std::string host = Lower(target.host);
    if (host.ends_with('.')) host.pop_back();
    while (!noProxy.empty()) {
        const auto comma = noProxy.find(',');
        const std::string_view entry = Trimmed(noProxy.substr(0, comma));
        noProxy = comma == std::string_view::npos ? std::string_view{} : noProxy.substr(comma + 1);
        if (!entry.empty() && EntryMatches(entry, host)) return true;
    }
    return false;
}

std::optional<HttpUrl> ProxyFromEnvironment(const HttpUrl& target, const ReadVariable& read) {
    std::optional<std::string> proxy =
        target.secure ? Variable(read, "https_proxy") : Variable(read, "http_proxy");
    if (!proxy && target.secure) proxy = Variable(read, "HTTPS_PROXY");
    if (!proxy) proxy = Variable(read, "all_proxy");
    if (!proxy) proxy = Variable(read, "ALL_PROXY");
    if (!proxy) return std::nullopt;
    std::optional<std::string> noProxy = Variable(read, "no_proxy");
    if (!noProxy) noProxy = Variable(read, "NO_PROXY");
    if (noProxy && BypassesProxy(*noProxy, target)) return std::nullopt;
    return ReadProxyUrl(*proxy);
}

std::optional<HttpUrl> ProxyFor(const HttpUrl& target) {
    const ReadVariable environment = [](const char* name) -> std::optional<std::string> {
        const char* value = std::getenv(name);
        return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
    };
    static constexpr std::array<const char*, 5> kNames = {"http_proxy", "https_proxy",
                                                          "HTTPS_PROXY", "all_proxy", "ALL_PROXY"};
    const bool named = std::any_of(kNames.begin(), kNames.end(),
                                   [&](const char* name) { return Variable(environment, name); });
    return named ? ProxyFromEnvironment(target, environment) : SystemProxyFor(target);
}

}  // namespace netpull::http
