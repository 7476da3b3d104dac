// URLs as RFC 3986 writes them: every resolution example of its section 5.4, and the reading
// of hosts, IPv6 literals, ports and schemes, with the errors of what cannot be read.
#include "netpull/http/transfer/url.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "netpull/http/transfer/transfer_errors.h"
#include "netpull/socket/socket_error.h"

namespace netpull::http {
namespace {

std::string Resolved(const std::string& reference) {
    return Recompose(Resolve(SplitReference("http://a/b/c/d;p?q"), SplitReference(reference)));
}

TEST(Urls, TheResolutionExamplesOfRfc3986) {
    const std::vector<std::pair<std::string, std::string>> examples = {
        // Normal examples (section 5.4.1).
        {"g:h", "g:h"},
        {"g", "http://a/b/c/g"},
        {"./g", "http://a/b/c/g"},
        {"g/", "http://a/b/c/g/"},
        {"/g", "http://a/g"},
        {"//g", "http://g"},
        {"?y", "http://a/b/c/d;p?y"},
        {"g?y", "http://a/b/c/g?y"},
        {"#s", "http://a/b/c/d;p?q#s"},
        {"g#s", "http://a/b/c/g#s"},
        {"g?y#s", "http://a/b/c/g?y#s"},
        {";x", "http://a/b/c/;x"},
        {"g;x", "http://a/b/c/g;x"},
        {"g;x?y#s", "http://a/b/c/g;x?y#s"},
        {"", "http://a/b/c/d;p?q"},
        {".", "http://a/b/c/"},
        {"./", "http://a/b/c/"},
        {"..", "http://a/b/"},
        {"../", "http://a/b/"},
        {"../g", "http://a/b/g"},
        {"../..", "http://a/"},
        {"../../", "http://a/"},
        {"../../g", "http://a/g"},
        // Abnormal examples (section 5.4.2).
        {"../../../g", "http://a/g"},
        {"../../../../g", "http://a/g"},
        {"/./g", "http://a/g"},
        {"/../g", "http://a/g"},
        {"g.", "http://a/b/c/g."},
        {".g", "http://a/b/c/.g"},
        {"g..", "http://a/b/c/g.."},
        {"..g", "http://a/b/c/..g"},
        {"./../g", "http://a/b/g"},
        {"./g/.", "http://a/b/c/g/"},
        {"g/./h", "http://a/b/c/g/h"},
        {"g/../h", "http://a/b/c/h"},
        {"g;x=1/./y", "http://a/b/c/g;x=1/y"},
        {"g;x=1/../y", "http://a/b/c/y"},
        {"g?y/./x", "http://a/b/c/g?y/./x"},
        {"g?y/../x", "http://a/b/c/g?y/../x"},
        {"g#s/./x", "http://a/b/c/g#s/./x"},
        {"g#s/../x", "http://a/b/c/g#s/../x"},
        {"http:g", "http:g"},  // strict
    };
    for (const auto& [reference, target] : examples)
        EXPECT_EQ(Resolved(reference), target) << "reference " << reference;
}

TEST(Urls, HostsPortsAndSchemes) {
    const HttpUrl plain = ReadCallersUrl("http://Server.Example:8080/A/b?Q=1#f");
    EXPECT_FALSE(plain.secure);
    EXPECT_EQ(plain.host, "server.example");
    EXPECT_EQ(plain.port, 8080);
    EXPECT_EQ(plain.path, "/A/b");
    EXPECT_EQ(plain.query, "Q=1");
    EXPECT_EQ(ReadCallersUrl("server/a.txt").host, "server");
    EXPECT_EQ(ReadCallersUrl("server:8080").port, 8080);
    EXPECT_EQ(ReadCallersUrl("http://server").port, 80);
    EXPECT_EQ(ReadCallersUrl("http://server:/x").port, 80);  // an empty port is the scheme's
    EXPECT_EQ(ReadCallersUrl("https://server").port, 443);
    EXPECT_TRUE(ReadCallersUrl("HTTPS://server").secure);
    // The host ends at the first "/", "?" or "#".
    EXPECT_EQ(ReadCallersUrl("http://127.0.0.1:8080?q=1").host, "127.0.0.1");
    EXPECT_EQ(ReadCallersUrl("http://127.0.0.1:8080?q=1").port, 8080);
    EXPECT_EQ(ReadCallersUrl("http://host:8080#part").host, "host");
    EXPECT_EQ(ReadCallersUrl("server/a?next=ftp://elsewhere").host, "server");
    const HttpUrl v6 = ReadCallersUrl("http://[::1]:8080/f");
    EXPECT_TRUE(v6.ipv6);
    EXPECT_EQ(v6.host, "::1");
    EXPECT_EQ(v6.port, 8080);
    for (const char* address : {"[2001:DB8::7]", "[::]", "[1:2:3:4:5:6:7:8]", "[::ffff:1.2.3.4]",
                                "[1::]", "[1:2:3:4:5:6::8]"})
        EXPECT_TRUE(ReadCallersUrl(std::string("http://") + address + "/").ipv6) << address;
}

// Each of these ends Download itself with the number and words given.
TEST(Urls, WhatCannotBeReadIsRefusedWithItsReason) {
    const std::vector<std::tuple<std::string, int, std::string>> refused = {
        {"ftp://server/file", kUnsupportedScheme, "unsupported URL scheme: ftp"},
        {"file:///etc/passwd", kUnsupportedScheme, "unsupported URL scheme: file"},
        {"http://server:0/", kMalformedUrl, "malformed URL: port 0 is not from 1 to 65535"},
        {"http://server:65536/", kMalformedUrl, "malformed URL: port 65536 is not from 1 to 65535"},
        {"http://server:99999999999/", kMalformedUrl,
         "malformed URL: port 99999999999 is not from 1 to 65535"},
        {"http://server:8o/", kMalformedUrl, "malformed URL: port 8o is not from 1 to 65535"},
        {"http:///file", kMalformedUrl, "malformed URL: no host"},
        {"http://user@:80/", kMalformedUrl, "malformed URL: no host"},
        {"http://[::1/", kMalformedUrl, "malformed URL: [::1 has no closing bracket"},
        {"http://[1:2:3:4:5:6:7:8:9]/", kMalformedUrl,
         "malformed URL: [1:2:3:4:5:6:7:8:9] is not an IPv6 address"},
        {"http://[1::2::3]/", kMalformedUrl, "malformed URL: [1::2::3] is not an IPv6 address"},
        {"http://[::1.2.3.256]/", kMalformedUrl,
         "malformed URL: [::1.2.3.256] is not an IPv6 address"},
        {"http://[server]/", kMalformedUrl, "malformed URL: [server] is not an IPv6 address"},
        {"http://[::1]x/", kMalformedUrl, "malformed URL: characters after the IPv6 address"},
        {"http://ser ver/", kMalformedUrl, "malformed URL: the host ser ver is not a host name"},
        {"http://a<b/", kMalformedUrl, "malformed URL: the host a<b is not a host name"},
    };
    for (const auto& [url, number, description] : refused) {
        try {
            ReadCallersUrl(url);
            ADD_FAILURE() << url << " was read";
        } catch (const SocketError& e) {
            EXPECT_EQ(e.Number(), number) << url;
            EXPECT_EQ(e.Description(), description) << url;
            EXPECT_EQ(e.Source(), "HTTP.Download") << url;
        }
    }
}

}  // namespace
}  // namespace netpull::http
