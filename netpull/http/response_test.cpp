// The response header, chunked bodies, URLs, the request text, and the display's text rules.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "netpull/http/chunked_decoder.h"
#include "netpull/http/control_display.h"
#include "netpull/http/http_transfer.h"
#include "netpull/http/response_header.h"

namespace netpull::http {
namespace {

using State = HeaderGatherer::State;

TEST(HeaderGatherer, FindsTheEndWhateverTheArrivals) {
    HeaderGatherer one;
    EXPECT_EQ(one.Add("HTTP/1.1 200 OK\r\nA: b\r\n\r\nbody"), State::Complete);
    EXPECT_EQ(one.Text(), "HTTP/1.1 200 OK\r\nA: b");
    EXPECT_EQ(one.TakeBody(), "body");

    // CR LF at the end of one arrival and CR LF at the start of the next.
    HeaderGatherer split;
    EXPECT_EQ(split.Add("HTTP/1.1 200 OK\r\n"), State::Gathering);
    EXPECT_EQ(split.Add("A: b\r"), State::Gathering);
    EXPECT_EQ(split.Add("\n"), State::Gathering);
    EXPECT_EQ(split.Add("\r\nrest"), State::Complete);
    EXPECT_EQ(split.Text(), "HTTP/1.1 200 OK\r\nA: b");
    EXPECT_EQ(split.TakeBody(), "rest");
}

TEST(HeaderGatherer, StopsAnEndlessHeader) {
    HeaderGatherer endless;
    State state = State::Gathering;
    for (int i = 0; i < 100 && state == State::Gathering; ++i) state = endless.Add(std::string(1000, 'x'));
    EXPECT_EQ(state, State::TooLarge);
    EXPECT_LE(endless.Text().size(), kMaxHeaderBytes + 1000);
}

TEST(ResponseHeader, StatusLengthAndEncoding) {
    const ResponseHeader h = ParseResponseHeader("HTTP/1.0 404 Not Found\r\nCONTENT-LENGTH: 5000\r\nX: y");
    EXPECT_TRUE(h.statusLineSeen);
    EXPECT_EQ(h.status, 404);
    EXPECT_EQ(h.contentLength, 5000);
    for (const char* field : {"Content-Length: 5000", "content-length:5000", "Content-Length :  5000"})
        EXPECT_EQ(ParseResponseHeader(field).contentLength, 5000) << field;
    EXPECT_EQ(ParseResponseHeader("Content-Length: five").contentLength, std::nullopt);
    EXPECT_EQ(ParseResponseHeader("Content-Length: -3").contentLength, std::nullopt);
    EXPECT_TRUE(ParseResponseHeader("Transfer-Encoding: Chunked").chunked);
    EXPECT_FALSE(ParseResponseHeader("Transfer-Encoding: gzip").chunked);
    const ResponseHeader noNumber = ParseResponseHeader("HTTP/1.1 OK");
    EXPECT_TRUE(noNumber.statusLineSeen);
    EXPECT_EQ(noNumber.status, std::nullopt);
    EXPECT_FALSE(ParseResponseHeader("Server: x").statusLineSeen);
}

std::string Decode(const std::vector<std::string>& arrivals, ChunkedDecoder::State expected) {
    ChunkedDecoder decoder;
    std::string out;
    ChunkedDecoder::State state = ChunkedDecoder::State::Size;
    for (const std::string& arrival : arrivals) state = decoder.Feed(arrival, out);
    EXPECT_EQ(state, expected);
    return out;
}

TEST(ChunkedDecoder, DecodesAcrossAnySplit) {
    const std::string body = "4\r\nWiki\r\n6;ext=1\r\npedia \r\nE\r\nin \r\n\r\nchunks.\r\n0\r\nTrailer: x\r\n\r\n";
    EXPECT_EQ(Decode({body}, ChunkedDecoder::State::Done), "Wikipedia in \r\n\r\nchunks.");
    for (std::size_t cut = 1; cut < body.size(); ++cut)
        EXPECT_EQ(Decode({body.substr(0, cut), body.substr(cut)}, ChunkedDecoder::State::Done),
                  "Wikipedia in \r\n\r\nchunks.")
            << cut;
    EXPECT_EQ(Decode({"4\r\nWi"}, ChunkedDecoder::State::Data), "Wi");
}

TEST(ChunkedDecoder, RefusesBadFraming) {
    for (const char* bad : {"zz\r\n", "4\r\nWikiX\r\n", "\r\n", "4\n", "-1\r\n", "ffffffffffffffffff\r\n"})
        Decode({bad}, ChunkedDecoder::State::Bad);
    Decode({std::string(5000, '1')}, ChunkedDecoder::State::Bad);
}

TEST(Urls, HostPortAndRequest) {
    EXPECT_EQ(HostOfUrl("http://server/files/a.zip").host, "server");
    EXPECT_EQ(HostOfUrl("server/a.txt").host, "server");
    EXPECT_EQ(HostOfUrl("http://server").host, "server");
    const HostAndPort withPort = HostOfUrl("http://server:8080/x");
    EXPECT_EQ(withPort.host, "server");
    EXPECT_EQ(withPort.port, 8080);
    EXPECT_EQ(HostOfUrl("http://server/x").port, 80);
    EXPECT_EQ(HostOfUrl("http://server:99999/x").host, "server:99999");
    EXPECT_EQ(RequestText("HTTP://Server\\files\\a.zip", "127.0.0.1", "server"),
              "GET HTTP://Server\\files\\a.zip  HTTP/1.1\r\nAccept: */*\r\nReferer: 127.0.0.1\r\n"
              "Accept-Language: en -gb\r\nAccept-Encoding: identity\r\n"
              "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1)\r\nHost: server\r\n"
              "Connection: Close\r\n\r\n");
}

TEST(ControlDisplay, FormatSizeThresholdsAndRounding) {
    EXPECT_EQ(FormatSize(500), "500bytes");
    EXPECT_EQ(FormatSize(1024), "1024bytes");
    EXPECT_EQ(FormatSize(1536), "2 KB");
    EXPECT_EQ(FormatSize(2560), "2 KB");
    EXPECT_EQ(FormatSize(1572864), "1.5 MB");
    EXPECT_EQ(FormatSize(1572864, ','), "1,5 MB");
    EXPECT_EQ(FormatSize(1048577), "1 MB");
    EXPECT_EQ(FormatSize(2147483647), "2 GB");
    EXPECT_EQ(FormatSize(5LL << 30), "5 GB");
}

TEST(ControlDisplay, PercentFittingAndClamping) {
    EXPECT_EQ(Percent(512, 2048), 25);
    EXPECT_EQ(Percent(0, 2048), 0);
    EXPECT_EQ(Percent(3LL << 30, 4LL << 30), 75);  // past 2 GiB
    EXPECT_EQ(FitLine(std::u32string(60, U'a') + U"z", 3495).size(), 34u);
    EXPECT_EQ(FitLine(U"short", 3495), U"short");
    EXPECT_EQ(Clamp32(5LL << 30), 2147483647);
}

}  // namespace
}  // namespace netpull::http
