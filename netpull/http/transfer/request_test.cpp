// What a download sends: the host and port taken from the URL, the request target and text.
#include <gtest/gtest.h>

#include "netpull/http/transfer/http_transfer.h"

namespace netpull::http {
namespace {

TEST(Urls, HostPortAndRequest) {
    EXPECT_EQ(HostOfUrl("http://server/files/a.zip").host, "server");
    EXPECT_EQ(HostOfUrl("server/a.txt").host, "server");
    EXPECT_EQ(HostOfUrl("http://server").host, "server");
    const HostAndPort withPort = HostOfUrl("http://server:8080/x");
    EXPECT_EQ(withPort.host, "server");
    EXPECT_EQ(withPort.port, 8080);
    EXPECT_EQ(HostOfUrl("http://server/x").port, 80);
    EXPECT_EQ(HostOfUrl("http://server:99999/x").host, "server:99999");
    EXPECT_EQ(HostField({"server", 80}), "server");
    EXPECT_EQ(HostField({"server", 8080}), "server:8080");
    EXPECT_EQ(RequestText("/files/a.zip", "127.0.0.1", "server"),
              "GET /files/a.zip HTTP/1.1\r\nAccept: */*\r\nReferer: 127.0.0.1\r\n"
              "Accept-Language: en -gb\r\nAccept-Encoding: identity\r\n"
              "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)\r\nHost: server\r\n"
              "Connection: Close\r\n\r\n");
}

TEST(Urls, SchemesAndTheirPorts) {
    const HostAndPort secure = HostOfUrl("https://server/x");
    EXPECT_EQ(secure.host, "server");
    EXPECT_EQ(secure.port, 443);
    EXPECT_TRUE(secure.secure);
    EXPECT_EQ(HostOfUrl("https://server:8443").port, 8443);
    EXPECT_FALSE(HostOfUrl("http://server:443/").secure);
    EXPECT_EQ(HostOfUrl("server/a?next=ftp://elsewhere").host, "server");
    EXPECT_EQ(HostField({"server", 443, true}), "server");
    EXPECT_EQ(HostField({"server", 80, true}), "server:80");
    EXPECT_EQ(HostField({"server", 443}), "server:443");
    EXPECT_EQ(RequestTarget("HTTPS://Server/A?b#c"), "/A?b");
    for (const std::string url : {"ftp://server/file", "file:///etc/passwd", "gopher://x"}) {
        try {
            HostOfUrl(url);
            ADD_FAILURE() << url << " was taken";
        } catch (const SocketError& e) {
            EXPECT_EQ(e.Number(), kUnsupportedScheme);
            EXPECT_EQ(e.Description(), "unsupported URL scheme: " + url.substr(0, url.find(':')));
        }
    }
}

TEST(Urls, RequestTargetIsTheOriginForm) {
    EXPECT_EQ(RequestTarget("HTTP://Server\\Files\\A.zip"), "/Files/A.zip");
    EXPECT_EQ(RequestTarget("server/a.txt"), "/a.txt");
    EXPECT_EQ(RequestTarget("http://server"), "/");
    EXPECT_EQ(RequestTarget("http://server:8080/x?y=1&z=2#part"), "/x?y=1&z=2");
    EXPECT_EQ(RequestTarget("http://server?q=1"), "/?q=1");
    EXPECT_EQ(RequestTarget("http://server#top"), "/");
    EXPECT_EQ(RequestTarget("http://server/a b/\xC3\xA9t\xC3\xA9"), "/a%20b/%C3%A9t%C3%A9");
    EXPECT_EQ(RequestTarget("http://server/100%25"), "/100%25");
}

}  // namespace
}  // namespace netpull::http
