// Which proxy a download goes through: the variables curl reads and in which order, the
// no_proxy list (names, subdomains, addresses, CIDR ranges, "*"), the system settings' forms,
// and proxy URLs with and without scheme, port and credentials.
#include "netpull/http/transfer/proxy_choice.h"

#include <gtest/gtest.h>

#include <map>

#include "netpull/http/transfer/transfer_errors.h"
#include "netpull/socket/socket_error.h"

namespace netpull::http {
namespace {

std::string ChosenFor(const std::string& url, const std::map<std::string, std::string>& variables) {
    const auto proxy = ProxyFromEnvironment(ReadCallersUrl(url), [&](const char* name) {
        const auto found = variables.find(name);
        return found == variables.end() ? std::nullopt : std::optional<std::string>(found->second);
    });
    return proxy ? proxy->host + ":" + std::to_string(proxy->port) : "direct";
}

TEST(ProxyChoice, TheVariablesCurlReadsInItsOrder) {
    EXPECT_EQ(ChosenFor("http://h/", {}), "direct");
    EXPECT_EQ(ChosenFor("http://h/", {{"http_proxy", "p:3128"}}), "p:3128");
    EXPECT_EQ(ChosenFor("http://h/", {{"HTTP_PROXY", "p:3128"}}), "direct") << "a CGI's variable";
    EXPECT_EQ(ChosenFor("https://h/", {{"http_proxy", "p:3128"}}), "direct");
    EXPECT_EQ(ChosenFor("https://h/", {{"https_proxy", "s:1"}, {"HTTPS_PROXY", "S:2"}}), "s:1");
    EXPECT_EQ(ChosenFor("https://h/", {{"HTTPS_PROXY", "S:2"}, {"all_proxy", "a:3"}}), "s:2");
    EXPECT_EQ(ChosenFor("http://h/", {{"all_proxy", "a:3"}, {"ALL_PROXY", "b:4"}}), "a:3");
    EXPECT_EQ(ChosenFor("https://h/", {{"ALL_PROXY", "b:4"}}), "b:4");
    EXPECT_EQ(ChosenFor("http://h/", {{"http_proxy", ""}, {"all_proxy", "a:3"}}), "a:3")
        << "an empty variable counts as unset";
    EXPECT_EQ(ChosenFor("http://h/", {{"http_proxy", "p"}}), "p:1080") << "curl's proxy port";
    EXPECT_EQ(ChosenFor("http://h/", {{"http_proxy", "http://u:pw@p:8080/"}}), "p:8080");
    EXPECT_EQ(ChosenFor("http://h/", {{"http_proxy", "[::1]:3128"}}), "::1:3128");
}

bool Bypassed(const std::string& noProxy, const std::string& url) {
    return BypassesProxy(noProxy, ReadCallersUrl(url));
}

TEST(ProxyChoice, NoProxyAsCurlReadsIt) {
    EXPECT_TRUE(Bypassed("*", "http://anything/"));
    EXPECT_TRUE(Bypassed("example.com", "http://example.com/"));
    EXPECT_TRUE(Bypassed("example.com", "http://www.Example.COM/"));
    EXPECT_TRUE(Bypassed(".example.com", "http://example.com/"));
    EXPECT_TRUE(Bypassed("other, example.com ,", "http://a.b.example.com/"));
    EXPECT_FALSE(Bypassed("example.com", "http://badexample.com/"));
    EXPECT_FALSE(Bypassed("www.example.com", "http://example.com/"));
    EXPECT_FALSE(Bypassed("", "http://example.com/"));
    EXPECT_FALSE(Bypassed("*.example.com", "http://www.example.com/")) << "no wildcards but *";
    EXPECT_TRUE(Bypassed("127.0.0.1", "http://127.0.0.1:8080/"));
    EXPECT_FALSE(Bypassed("127.0.0.1", "http://127.0.0.2/"));
    EXPECT_TRUE(Bypassed("10.0.0.0/8", "http://10.200.3.4/"));
    EXPECT_FALSE(Bypassed("10.0.0.0/8", "http://11.0.0.1/"));
    EXPECT_TRUE(Bypassed("192.168.1.128/25", "http://192.168.1.200/"));
    EXPECT_FALSE(Bypassed("192.168.1.128/25", "http://192.168.1.100/"));
    EXPECT_TRUE(Bypassed("::1", "http://[::1]/"));
    EXPECT_TRUE(Bypassed("fd00::/8", "http://[fd12:3456::1]/"));
    EXPECT_FALSE(Bypassed("fd00::/8", "http://[fe80::1]/"));
    EXPECT_FALSE(Bypassed("10.0.0.0/8", "http://[::1]/")) << "another family";
    EXPECT_FALSE(Bypassed("10.0.0.0/33", "http://10.0.0.1/")) << "no such range";
    EXPECT_EQ(ChosenFor("http://h.lan/", {{"http_proxy", "p:1"}, {"no_proxy", "lan"}}), "direct");
    EXPECT_EQ(ChosenFor("http://h.lan/", {{"http_proxy", "p:1"}, {"NO_PROXY", "lan"}}), "direct");
    EXPECT_EQ(ChosenFor("http://h.lan/", {{"http_proxy", "p:1"}, {"no_proxy", "wan"}}), "p:1");
}

std::string SystemChoice(const std::string& servers, const std::string& bypass,
                         const std::string& url) {
    const auto proxy = ChooseSystemProxy(servers, bypass, ReadCallersUrl(url));
    return proxy ? proxy->host + ":" + std::to_string(proxy->port) : "direct";
}

TEST(ProxyChoice, TheSystemSettingsForms) {
    EXPECT_EQ(SystemChoice("p:8080", "", "http://h/"), "p:8080");
    EXPECT_EQ(SystemChoice("p:8080", "", "https://h/"), "p:8080");
    EXPECT_EQ(SystemChoice("http=a:1;https=b:2", "", "https://h/"), "b:2");
    EXPECT_EQ(SystemChoice("http=a:1;https=b:2", "", "http://h/"), "a:1");
    EXPECT_EQ(SystemChoice("http=a:1", "", "https://h/"), "direct");
    EXPECT_EQ(SystemChoice("p:8080", "<local>", "http://intranet/"), "direct");
    EXPECT_EQ(SystemChoice("p:8080", "<local>", "http://www.example.com/"), "p:8080");
    EXPECT_EQ(SystemChoice("p:8080", "*.corp.example;10.*", "http://a.corp.example/"), "direct");
    EXPECT_EQ(SystemChoice("p:8080", "*.corp.example;10.*", "http://10.1.2.3/"), "direct");
    EXPECT_EQ(SystemChoice("p:8080", "*.corp.example;10.*", "http://corp.example/"), "p:8080");
    EXPECT_EQ(SystemChoice("", "", "http://h/"), "direct");
}

TEST(ProxyChoice, ProxiesOfAnotherSchemeOrUnreadableAreRefused) {
    for (const auto& [proxy, number, words] :
         std::vector<std::tuple<std::string, int, std::string>>{
             {"socks5://p:1080", kUnsupportedScheme, "unsupported proxy scheme: socks5"},
             {"https://p:443", kUnsupportedScheme, "unsupported proxy scheme: https"},
             {"http://p:70000", kMalformedUrl, "malformed URL: port 70000 is not from 1 to 65535"},
             {"http://:80", kMalformedUrl, "malformed URL: no host"}}) {
        try {
            ReadProxyUrl(proxy);
            ADD_FAILURE() << proxy << " was taken";
        } catch (const SocketError& e) {
            EXPECT_EQ(e.Number(), number) << proxy;
            EXPECT_EQ(e.Description(), words) << proxy;
        }
    }
    EXPECT_EQ(BasicCredentials(ReadProxyUrl("http://u:p%40ss@p:3128")), "Basic dTpwQHNz");
}

}  // namespace
}  // namespace netpull::http
