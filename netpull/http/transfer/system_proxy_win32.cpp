// The user's proxy settings on Windows, as WinHTTP reads them from the Internet settings: a
// configuration script (PAC) that WinHTTP fetches and runs, else a static proxy and its bypass
// list. Automatic detection is not asked for: it would query the network for a script at every
// download, and such a download goes direct.
#include <memory>

#include "netpull/http/transfer/proxy_choice.h"
#include "netpull/socket/windows_api.h"
#include "wide_text.h"

#include <winhttp.h>

namespace netpull::http {
namespace {

// The script is fetched and run while the download waits: at most this long for each step.
constexpr int kScriptStepMs = 5000;

struct GlobalText {
    void operator()(wchar_t* text) const { GlobalFree(text); }
};
using OwnedText = std::unique_ptr<wchar_t, GlobalText>;

std::string Text(const OwnedText& text) {
    return text ? Narrow(text.get()) : std::string();
}

// One WinHTTP session for the process, in which WinHTTP keeps the script it fetched.
HINTERNET ScriptSession() {
    static const HINTERNET session = [] {
        const HINTERNET opened = WinHttpOpen(L"Netpull", WINHTTP_ACCESS_TYPE_NO_PROXY,
                                             WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
        if (opened != nullptr)
            WinHttpSetTimeouts(opened, kScriptStepMs, kScriptStepMs, kScriptStepMs, kScriptStepMs);
        return opened;
    }();
    return session;
}

// The script's answer for the URL: a proxy, direct (nothing), or no answer at all.
std::optional<std::optional<HttpUrl>> ScriptProxyFor(const wchar_t* script, const HttpUrl& target) {
    const HINTERNET session = ScriptSession();
    if (session == nullptr) return std::nullopt;
    WINHTTP_AUTOPROXY_OPTIONS options{};
    options.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
    options.lpszAutoConfigUrl = script;
    const UriReference reference = target.Reference();
    const std::wstring url = Wide(Recompose(reference));
    WINHTTP_PROXY_INFO answer{};
    if (!WinHttpGetProxyForUrl(session, url.c_str(), &options, &answer)) return std::nullopt;
    const OwnedText servers(answer.lpszProxy);
    const OwnedText bypass(answer.lpszProxyBypass);
    if (answer.dwAccessType != WINHTTP_ACCESS_TYPE_NAMED_PROXY || !servers)
        return std::optional<HttpUrl>();
    return ChooseSystemProxy(Text(servers), Text(bypass), target);
}

}  // namespace

std::optional<HttpUrl> SystemProxyFor(const HttpUrl& target) {
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config{};
    if (!WinHttpGetIEProxyConfigForCurrentUser(&config)) return std::nullopt;
    const OwnedText script(config.lpszAutoConfigUrl);
    const OwnedText servers(config.lpszProxy);
    const OwnedText bypass(config.lpszProxyBypass);
    // A script that cannot be fetched or run leaves the static settings, as Windows does.
    if (script) {
        if (const auto chosen = ScriptProxyFor(script.get(), target)) return *chosen;
    }
    if (!servers) return std::nullopt;
    return ChooseSystemProxy(Text(servers), Text(bypass), target);
}

}  // namespace netpull::http
