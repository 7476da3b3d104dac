// Linux has no system proxy settings apart from the environment: downloads go direct.
#include "netpull/http/transfer/proxy_choice.h"

namespace netpull::http {

std::optional<HttpUrl> SystemProxyFor(const HttpUrl&) {
    return std::nullopt;
}

}  // namespace netpull::http
