// The response header and chunked bodies.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <tuple>

#include "netpull/http/transfer/chunked_decoder.h"
#include "netpull/http/transfer/response_header.h"

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

// The limit is the header's, blank line aside, however the arrivals cut it.
TEST(HeaderGatherer, TheLimitDoesNotDependOnTheArrivals) {
    for (std::size_t size = kMaxHeaderBytes - 2; size <= kMaxHeaderBytes + 1; ++size) {
        const std::string head = "HTTP/1.1 200 OK\r\nX: ";
        const std::string whole = head + std::string(size - head.size(), 'x') + "\r\n\r\n";
        const State expected = size <= kMaxHeaderBytes ? State::Complete : State::TooLarge;
        for (std::size_t cut = whole.size() - 4; cut <= whole.size(); ++cut) {
            HeaderGatherer gatherer;
            State state = gatherer.Add(whole.substr(0, cut));
            if (cut < whole.size() && state == State::Gathering)
                state = gatherer.Add(whole.substr(cut));
            EXPECT_EQ(state, expected) << size << " bytes cut at " << cut;
        }
    }
}

TEST(HeaderGatherer, StopsAnEndlessHeader) {
    HeaderGatherer endless;
    State state = State::Gathering;
    for (int i = 0; i < 100 && state == State::Gathering; ++i)
        state = endless.Add(std::string(1000, 'x'));
    EXPECT_EQ(state, State::TooLarge);
    EXPECT_LE(endless.Text().size(), kMaxHeaderBytes + 1000);
}

TEST(ResponseHeader, StatusLengthAndEncoding) {
    const ResponseHeader h =
        ParseResponseHeader("HTTP/1.0 404 Not Found\r\nCONTENT-LENGTH: 5000\r\nX: y");
    EXPECT_TRUE(h.statusLineValid);
    EXPECT_EQ(h.status, 404);
    EXPECT_EQ(h.contentLength, 5000);
    for (const char* field :
         {"Content-Length: 5000", "content-length:5000", "Content-Length :  5000"})
        EXPECT_EQ(ParseResponseHeader(std::string("HTTP/1.1 200 OK\r\n") + field).contentLength,
                  5000)
            << field;
    EXPECT_TRUE(ParseResponseHeader("HTTP/1.1 200 OK\r\nTransfer-Encoding: Chunked").Chunked());
    EXPECT_FALSE(ParseResponseHeader("HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip").Chunked());
    EXPECT_TRUE(ParseResponseHeader("HTTP/1.1 200").statusLineValid);
}

// A field line that begins with a space or a tab continues the one before: refused.
TEST(ResponseHeader, AFoldedLineMakesTheFieldsInvalid) {
    for (const char* folded :
         {"X-A: b\r\n Content-Length: 3", "Transfer-Encoding:\r\n chunked", "X-A: b\r\n\tmore"}) {
        EXPECT_FALSE(
            ParseResponseHeader(std::string("HTTP/1.1 200 OK\r\n") + folded).fieldLinesValid)
            << folded;
    }
    EXPECT_TRUE(ParseResponseHeader("HTTP/1.1 200 OK\r\nX-A: b c\r\nY:  d").fieldLinesValid);
}

// Transfer-Encoding is a list, and each line adds to it: only "chunked" alone is decoded.
TEST(ResponseHeader, TransferCodingsAreAList) {
    const auto codings = [](std::string fields) {
        const ResponseHeader h = ParseResponseHeader("HTTP/1.1 200 OK\r\n" + fields);
        return std::make_tuple(h.transferCodings, h.Chunked(), h.UnsupportedCodings());
    };
    using std::make_tuple;
    EXPECT_EQ(codings("Transfer-Encoding: CHUNKED"), make_tuple("chunked", true, false));
    EXPECT_EQ(codings("Transfer-Encoding: chunked ,"), make_tuple("chunked", true, false));
    EXPECT_EQ(codings("Transfer-Encoding: gzip, chunked"),
              make_tuple("gzip, chunked", false, true));
    EXPECT_EQ(codings("Transfer-Encoding: xchunked"), make_tuple("xchunked", false, true));
    EXPECT_EQ(codings("Transfer-Encoding: chunked\r\nTransfer-Encoding: gzip"),
              make_tuple("chunked, gzip", false, true));
    EXPECT_EQ(codings("Transfer-Encoding: chunked\r\nTransfer-Encoding: chunked"),
              make_tuple("chunked, chunked", false, true));
    EXPECT_EQ(codings("Content-Length: 4"), make_tuple("", false, false));
}

TEST(ResponseHeader, OnlyAnHttp1StatusLineWithThreeDigitsIsValid) {
    for (const char* bad :
         {"HTTP/1.1 OK", "HTTP/1.1", "FOO BAR", "ICY 200 OK", "HTTP/2 200", "HTTP/1.1  200 OK",
          "HTTP/1.1 2000 OK", "HTTP/1.1 20 OK", "Server: x\r\nHTTP/1.1 200 OK", "",
          "<html>hello</html>", "HTTP/1.x 200 OK", "http/1.1 200OK"}) {
        EXPECT_FALSE(ParseResponseHeader(bad).statusLineValid) << bad;
    }
    EXPECT_TRUE(ParseResponseHeader("http/1.1 200 OK").statusLineValid);
}

TEST(ResponseHeader, AResponseThatCannotBeHttp1IsSeenEarly) {
    for (const char* start : {"", "H", "http/1", "HTTP/1.1 2", "HTTP/1.1 200", "HTTP/1.1 200\r",
                              "HTTP/1.1 200 O", "HTTP/1.1 200 OK\r\nServer"})
        EXPECT_TRUE(MayBeginStatusLine(start)) << start;
    for (const char* start :
         {"<", "ICY", "HTTP/2", "HTTP/1.1 2x", "HTTP/1.1 200OK", "FOO BAR\r\n", "HTTP/1.1\r\n"})
        EXPECT_FALSE(MayBeginStatusLine(start)) << start;
}

TEST(ResponseHeader, ContentLengthMustBeOneDecimalNumber) {
    for (const char* bad :
         {"five", "-3", "-5", "+10", "1000x", "", "99999999999999999999", "1 000", "0x10"}) {
        const ResponseHeader h =
            ParseResponseHeader(std::string("HTTP/1.1 200 OK\r\nContent-Length: ") + bad);
        EXPECT_FALSE(h.contentLengthValid) << bad;
        EXPECT_EQ(h.contentLength, std::nullopt) << bad;
    }
    const ResponseHeader twice =
        ParseResponseHeader("HTTP/1.1 200 OK\r\nContent-Length: 5\r\nContent-Length: 6");
    EXPECT_FALSE(twice.contentLengthValid);
    const ResponseHeader same =
        ParseResponseHeader("HTTP/1.1 200 OK\r\nContent-Length: 5\r\nContent-Length: 5");
    EXPECT_TRUE(same.contentLengthValid);
    EXPECT_EQ(same.contentLength, 5);
}

TEST(ResponseHeader, InterimStatuses) {
    EXPECT_TRUE(ParseResponseHeader("HTTP/1.1 100 Continue").Interim());
    EXPECT_TRUE(ParseResponseHeader("HTTP/1.1 103 Early Hints\r\nLink: </a.css>").Interim());
    EXPECT_FALSE(ParseResponseHeader("HTTP/1.1 101 Switching Protocols").Interim());
    EXPECT_FALSE(ParseResponseHeader("HTTP/1.1 200 OK").Interim());

    HeaderGatherer gatherer;
    EXPECT_EQ(gatherer.Add("HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\n\r\nbody"),
              State::Complete);
    EXPECT_EQ(gatherer.NextHeader(), State::Complete);
    EXPECT_EQ(gatherer.Text(), "HTTP/1.1 200 OK");
    EXPECT_EQ(gatherer.TakeBody(), "body");
    HeaderGatherer partial;
    partial.Add("HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 2");
    EXPECT_EQ(partial.NextHeader(), State::Gathering);
    EXPECT_EQ(partial.Add("00 OK\r\n\r\n"), State::Complete);
    EXPECT_EQ(partial.Text(), "HTTP/1.1 200 OK");
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
    const std::string body =
        "4\r\nWiki\r\n6;ext=1\r\npedia \r\nE\r\nin \r\n\r\nchunks.\r\n0\r\nTrailer: x\r\n\r\n";
    EXPECT_EQ(Decode({body}, ChunkedDecoder::State::Done), "Wikipedia in \r\n\r\nchunks.");
    for (std::size_t cut = 1; cut < body.size(); ++cut)
        EXPECT_EQ(Decode({body.substr(0, cut), body.substr(cut)}, ChunkedDecoder::State::Done),
                  "Wikipedia in \r\n\r\nchunks.")
            << cut;
    EXPECT_EQ(Decode({"4\r\nWi"}, ChunkedDecoder::State::Data), "Wi");
}

TEST(ChunkedDecoder, RefusesBadFraming) {
    for (const char* bad :
         {"zz\r\n", "4\r\nWikiX\r\n", "\r\n", "4\n", "-1\r\n", "ffffffffffffffffff\r\n"})
        Decode({bad}, ChunkedDecoder::State::Bad);
    Decode({std::string(5000, '1')}, ChunkedDecoder::State::Bad);
}

}  // namespace
}  // namespace netpull::http
