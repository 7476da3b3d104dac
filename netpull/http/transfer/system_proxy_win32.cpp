// The user's proxy settings on Windows, as WinHTTP reads them from the Internet settings: a
// static proxy and its bypass list. An automatic configuration (a PAC script, detection) is
// not resolved here: such a download goes direct.
#include <memory>

#include "netpull/http/transfer/proxy_choice.h"
#include "netpull/socket/windows_api.h"
#include "wide_text.h"

#include <winhttp.h>

namespace netpull::http {
namespace {

struct GlobalText {
    void operator()(wchar_t* text) const { GlobalFree(text); }
};
using OwnedText = std::unique_ptr<wchar_t, GlobalText>;

std::string Text(const OwnedText& text) {
    return text ? Narrow(text.get()) : std::string();
}

}  // namespace

std::optional<HttpUrl> SystemProxyFor(const HttpUrl& target) {
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config{};
    if (!WinHttpGetIEProxyConfigForCurrentUser(&config)) return std::nullopt;
    const OwnedText automatic(config.lpszAutoConfigUrl);
    const OwnedText servers(config.lpszProxy);
    const OwnedText bypass(config.lpszProxyBypass);
    if (!servers) return std::nullopt;
    return ChooseSystemProxy(Text(servers), Text(bypass), target);
}

}  // namespace netpull::http
