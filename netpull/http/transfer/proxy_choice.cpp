// The proxy of a download, from the environment as curl reads it, and the no_proxy list.
#include "netpull/http/transfer/proxy_choice.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>
#include <vector>

#include "netpull/http/transfer/transfer_errors.h"
#include "netpull/socket/socket_error.h"

namespace netpull::http {
namespace {

using Address = std::vector<std::uint8_t>;  // 4 bytes for IPv4, 16 for IPv6

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

std::optional<unsigned> Number(std::string_view digits, int base, unsigned limit) {
    if (digits.empty() || digits.size() > 4) return std::nullopt;
    unsigned value = 0;
    for (const unsigned char c : digits) {
        const int digit = std::isdigit(c) != 0                  ? c - '0'
                          : base == 16 && std::isxdigit(c) != 0 ? std::tolower(c) - 'a' + 10
                                                                : -1;
        if (digit < 0) return std::nullopt;
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
    }
    return value <= limit ? std::optional<unsigned>(value) : std::nullopt;
}

std::optional<Address> Ipv4(std::string_view text) {
    Address bytes;
    for (int part = 0; part < 4; ++part) {
        const auto dot = text.find('.');
        if ((dot == std::string_view::npos) != (part == 3)) return std::nullopt;
        const auto value = Number(text.substr(0, dot), 10, 255);
        if (!value || text.substr(0, dot).size() > 3) return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(*value));
        text = dot == std::string_view::npos ? std::string_view{} : text.substr(dot + 1);
    }
    return bytes;
}

// The 16-bit groups of one side of "::", with a dotted IPv4 address allowed at the end.
std::optional<std::vector<unsigned>> Groups(std::string_view text, bool last) {
    std::vector<unsigned> groups;
    while (!text.empty()) {
        const auto colon = text.find(':');
        const std::string_view group = text.substr(0, colon);
        if (last && colon == std::string_view::npos && group.find('.') != std::string_view::npos) {
            const auto v4 = Ipv4(group);
            if (!v4) return std::nullopt;
            groups.push_back((*v4)[0] << 8 | (*v4)[1]);
            groups.push_back((*v4)[2] << 8 | (*v4)[3]);
            break;
        }
        const auto value = Number(group, 16, 0xFFFF);
        if (!value) return std::nullopt;
        groups.push_back(*value);
        if (colon == std::string_view::npos) break;
        text.remove_prefix(colon + 1);
        if (text.empty()) return std::nullopt;
    }
    return groups;
}

std::optional<Address> Ipv6(std::string_view text) {
    const auto elision = text.find("::");
    std::optional<std::vector<unsigned>> head, tail;
    if (elision == std::string_view::npos) {
        head = Groups(text, true);
        tail = std::vector<unsigned>{};
    } else {
        head = Groups(text.substr(0, elision), false);
        tail = Groups(text.substr(elision + 2), true);
    }
    if (!head || !tail) return std::nullopt;
    const std::size_t count = head->size() + tail->size();
    if (elision == std::string_view::npos ? count != 8 : count > 7) return std::nullopt;
    std::vector<unsigned> groups = *head;
    groups.resize(8 - tail->size(), 0);
    groups.insert(groups.end(), tail->begin(), tail->end());
    Address bytes;
    for (const unsigned group : groups) {
        bytes.push_back(static_cast<std::uint8_t>(group >> 8));
        bytes.push_back(static_cast<std::uint8_t>(group & 0xFF));
    }
    return bytes;
}

std::optional<Address> IpAddress(std::string_view text) {
    if (text.starts_with('[') && text.ends_with(']')) text = text.substr(1, text.size() - 2);
    return text.find(':') != std::string_view::npos ? Ipv6(text) : Ipv4(text);
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
    const std::optional<Address> address = IpAddress(host);
    if (const auto range = IpAddress(entry.substr(0, slash)); range) {
        if (!address || address->size() != range->size()) return false;
        const unsigned all = static_cast<unsigned>(range->size() * 8);
        const auto bits = slash == std::string_view::npos
                              ? std::optional<unsigned>(all)
                              : Number(entry.substr(slash + 1), 10, all);
        return bits && SamePrefix(*address, *range, *bits);
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
    if (pattern == "<local>") return host.find('.') == std::string_view::npos && !IpAddress(host);
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
