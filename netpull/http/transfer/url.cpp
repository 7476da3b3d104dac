// URLs as RFC 3986 writes them: splitting, resolution against a base, and reading an http://
// or https:// URL.
#include "netpull/http/transfer/url.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "netpull/http/transfer/transfer_errors.h"
#include "netpull/socket/socket_error.h"

namespace netpull::http {
namespace {

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

bool IsHex(unsigned char c) {
    return std::isxdigit(c) != 0;
}

int HexValue(unsigned char c) {
    return std::isdigit(c) != 0 ? c - '0' : std::tolower(c) - 'a' + 10;
}

using Address = std::vector<std::uint8_t>;

std::optional<unsigned> Number(std::string_view digits, int base, unsigned limit) {
    if (digits.empty() || digits.size() > 4) return std::nullopt;
    unsigned value = 0;
    for (const unsigned char c : digits) {
        const int digit = std::isdigit(c) != 0     ? c - '0'
                          : base == 16 && IsHex(c) ? HexValue(c)
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

// A reg-name or an IPv4 address: unreserved characters, sub-delimiters and percent-encoded
// bytes (RFC 3986 section 3.2.2); bytes past ASCII are left for the resolver to judge.
bool IsHostName(std::string_view host) {
    static constexpr std::string_view kOther = "-._~!$&'()*+,;=";
    for (std::size_t i = 0; i < host.size(); ++i) {
        const auto c = static_cast<unsigned char>(host[i]);
        if (c >= 0x80 || std::isalnum(c) != 0 || kOther.find(static_cast<char>(c)) != kOther.npos)
            continue;
        if (c != '%' || i + 2 >= host.size() || !IsHex(host[i + 1]) || !IsHex(host[i + 2]))
            return false;
        i += 2;
    }
    return true;
}

[[noreturn]] void Malformed(const char* source, const std::string& why) {
    throw SocketError(kMalformedUrl, source, "malformed URL: " + why);
}

std::string PercentDecoded(std::string_view text) {
    std::string decoded;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && IsHex(text[i + 1]) && IsHex(text[i + 2])) {
            decoded += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
            i += 2;
        } else {
            decoded += text[i];
        }
    }
    return decoded;
}

std::string Base64(std::string_view bytes) {
    static constexpr char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string encoded;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t count = std::min<std::size_t>(3, bytes.size() - i);
        std::uint32_t group = 0;
        for (std::size_t k = 0; k < 3; ++k)
            group = group << 8 | (k < count ? static_cast<unsigned char>(bytes[i + k]) : 0u);
        for (std::size_t k = 0; k < 4; ++k)
            encoded += k <= count ? kDigits[(group >> (18 - 6 * k)) & 0x3F] : '=';
    }
    return encoded;
}

// The path of a relative reference merged with the base's (RFC 3986 section 5.2.3).
std::string Merged(const UriReference& base, const std::string& path) {
    if (base.authority && base.path.empty()) return "/" + path;
    const auto slash = base.path.rfind('/');
    return slash == std::string::npos ? path : base.path.substr(0, slash + 1) + path;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> IpAddressBytes(std::string_view text) {
    if (text.starts_with('[') && text.ends_with(']')) text = text.substr(1, text.size() - 2);
    return text.find(':') != std::string_view::npos ? Ipv6(text) : Ipv4(text);
}

UriReference SplitReference(std::string_view text) {
    UriReference reference;
    // ^(([^:/?#]+):)?(//([^/?#]*))?([^?#]*)(\?([^#]*))?(#(.*))?
    const auto schemeEnd = text.find_first_of(":/?#");
    if (schemeEnd != std::string_view::npos && schemeEnd > 0 && text[schemeEnd] == ':') {
        reference.scheme = std::string(text.substr(0, schemeEnd));
        text.remove_prefix(schemeEnd + 1);
    }
    if (text.starts_with("//")) {
        text.remove_prefix(2);
        const auto end = text.find_first_of("/?#");
        reference.authority = std::string(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end);
    }
    const auto pathEnd = text.find_first_of("?#");
    reference.path = std::string(text.substr(0, pathEnd));
    text = pathEnd == std::string_view::npos ? std::string_view{} : text.substr(pathEnd);
    if (text.starts_with("?")) {
        const auto end = text.find('#');
        reference.query =
            std::string(text.substr(1, end == std::string_view::npos ? end : end - 1));
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end);
    }
    if (text.starts_with("#")) reference.fragment = std::string(text.substr(1));
    return reference;
}

std::string Recompose(const UriReference& reference) {
    std::string text;
    if (reference.scheme) text += *reference.scheme + ":";
    if (reference.authority) text += "//" + *reference.authority;
    text += reference.path;
    if (reference.query) text += "?" + *reference.query;
    if (reference.fragment) text += "#" + *reference.fragment;
    return text;
}

std::string RemoveDotSegments(std::string_view input) {
    std::string output;
    const auto dropLastSegment = [&output] {
        const auto slash = output.rfind('/');
        output.erase(slash == std::string::npos ? 0 : slash);
    };
    while (!input.empty()) {
        if (input.starts_with("../")) {
            input.remove_prefix(3);
        } else if (input.starts_with("./")) {
            input.remove_prefix(2);
        } else if (input.starts_with("/./")) {
            input.remove_prefix(2);
        } else if (input == "/.") {
            input = "/";
        } else if (input.starts_with("/../")) {
            input.remove_prefix(3);
            dropLastSegment();
        } else if (input == "/..") {
            input = "/";
            dropLastSegment();
        } else if (input == "." || input == "..") {
            input = {};
        } else {
            const auto end = input.find('/', 1);
            output.append(input.substr(0, end));
            input = end == std::string_view::npos ? std::string_view{} : input.substr(end);
        }
    }
    return output;
}

UriReference Resolve(const UriReference& base, const UriReference& reference) {
    UriReference target;
    if (reference.scheme) {
        target = reference;
        target.path = RemoveDotSegments(reference.path);
    } else if (reference.authority) {
        target = reference;
        target.path = RemoveDotSegments(reference.path);
    } else {
        target.authority = base.authority;
        if (reference.path.empty()) {
            target.path = base.path;
            target.query = reference.query ? reference.query : base.query;
        } else {
            target.path = RemoveDotSegments(
                reference.path.starts_with('/') ? reference.path : Merged(base, reference.path));
            target.query = reference.query;
        }
    }
    if (!reference.scheme) target.scheme = base.scheme;
    target.fragment = reference.fragment;
    return target;
}

UriReference HttpUrl::Reference() const {
    UriReference reference;
    reference.scheme = secure ? "https" : "http";
    reference.authority = HostField(*this);
    reference.path = path;
    reference.query = query;
    return reference;
}

HttpUrl ReadHttpUrl(const UriReference& reference, const char* source) {
    const std::string scheme = Lower(reference.scheme.value_or(""));
    if (scheme != "http" && scheme != "https")
        throw SocketError(kUnsupportedScheme, source, "unsupported URL scheme: " + scheme);
    HttpUrl url;
    url.secure = scheme == "https";
    url.port = url.SchemePort();
    std::string_view authority = reference.authority ? *reference.authority : std::string_view{};
    if (const auto at = authority.rfind('@'); at != std::string_view::npos) {
        url.userinfo = std::string(authority.substr(0, at));
        authority.remove_prefix(at + 1);
    }
    std::string_view port;
    if (authority.starts_with("[")) {
        const auto close = authority.find(']');
        const std::string_view address =
            authority.substr(1, close == std::string_view::npos ? close : close - 1);
        if (close == std::string_view::npos)
            Malformed(source, "[" + std::string(address) + " has no closing bracket");
        if (address.find(':') == std::string_view::npos || !IpAddressBytes(address))
            Malformed(source, "[" + std::string(address) + "] is not an IPv6 address");
        url.host = Lower(address);
        url.ipv6 = true;
        const std::string_view rest = authority.substr(close + 1);
        if (!rest.empty() && rest.front() != ':')
            Malformed(source, "characters after the IPv6 address");
        if (!rest.empty()) port = rest.substr(1);
    } else {
        const auto colon = authority.rfind(':');
        url.host = Lower(authority.substr(0, colon));
        if (colon != std::string_view::npos) port = authority.substr(colon + 1);
        if (!IsHostName(url.host))
            Malformed(source, "the host " + url.host + " is not a host name");
    }
    if (url.host.empty()) Malformed(source, "no host");
    if (!port.empty()) {
        const bool digits = std::all_of(port.begin(), port.end(),
                                        [](unsigned char c) { return std::isdigit(c) != 0; });
        const auto significant = port.find_first_not_of('0');
        const bool inRange = digits && significant != std::string_view::npos &&
                             port.size() - significant <= 5 &&
                             std::stoi(std::string(port.substr(significant))) <= 65535;
        if (!inRange) Malformed(source, "port " + std::string(port) + " is not from 1 to 65535");
        url.port = std::stoi(std::string(port.substr(significant)));
    }
    url.path = reference.path;
    url.query = reference.query;
    return url;
}

HttpUrl ReadCallersUrl(std::string_view text) {
    std::string url(text);
    std::replace(url.begin(), url.end(), '\\', '/');
    // A scheme counts only when "://" follows it, so that "server:8080" stays a host and port.
    const auto schemeEnd = url.find("://");
    const bool schemed =
        schemeEnd != std::string::npos && schemeEnd > 0 &&
        std::isalpha(static_cast<unsigned char>(url[0])) != 0 &&
        std::all_of(url.begin(), url.begin() + static_cast<std::ptrdiff_t>(schemeEnd),
                    [](unsigned char c) {
                        return std::isalnum(c) != 0 || c == '+' || c == '-' || c == '.';
                    });
    return ReadHttpUrl(SplitReference(schemed ? url : "http://" + url), "HTTP.Download");
}

std::string RequestTarget(const HttpUrl& url) {
    std::string target = url.path.empty() ? "/" : url.path;
    if (url.query) target += "?" + *url.query;
    std::string encoded;
    encoded.reserve(target.size());
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const unsigned char c : target) {
        if (c > 0x20 && c < 0x7F) {
            encoded += static_cast<char>(c);
        } else {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 0xF];
        }
    }
    return encoded;
}

std::string HostField(const HttpUrl& url) {
    const std::string host = url.ipv6 ? "[" + url.host + "]" : url.host;
    return url.port == url.SchemePort() ? host : host + ":" + std::to_string(url.port);
}

std::optional<std::string> BasicCredentials(const HttpUrl& url) {
    if (!url.userinfo) return std::nullopt;
    const auto colon = url.userinfo->find(':');
    const std::string user = PercentDecoded(std::string_view(*url.userinfo).substr(0, colon));
    const std::string password = colon == std::string::npos
                                     ? std::string()
                                     : PercentDecoded(url.userinfo->substr(colon + 1));
    return "Basic " + Base64(user + ":" + password);
}

}  // namespace netpull::http
