// libFuzzer target for the URL reader: a base and a reference, one per line, resolved and
// read as an http:// URL without failing; a path resolved from a reference's own path holds
// no "." or ".." segment (an empty one keeps the base's, as it is).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "netpull/http/transfer/url.h"
#include "netpull/socket/socket_error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto newline = input.find('\n');
    const std::string_view base = input.substr(0, newline);
    const std::string_view reference =
        newline == std::string_view::npos ? std::string_view{} : input.substr(newline + 1);
    using namespace netpull::http;
    try {
        const HttpUrl url = ReadCallersUrl(base);
        RequestTarget(url);
        BasicCredentials(url);
        const UriReference relative = SplitReference(reference);
        const UriReference target = Resolve(url.Reference(), relative);
        const std::string_view resolved = relative.path.empty() ? std::string_view{} : target.path;
        for (std::string_view path = resolved; path.starts_with('/');) {
            path.remove_prefix(1);
            const std::string_view segment = path.substr(0, path.find('/'));
            if (segment == "." || segment == "..") __builtin_trap();
            path.remove_prefix(segment.size());
        }
        HostField(ReadHttpUrl(target, "fuzz"));
    } catch (const netpull::SocketError&) {
    }
    return 0;
}
