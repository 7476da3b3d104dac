// Downloads from a scripted server on loopback: the exact bytes of each arrival, the events
// with their order and arguments, and the file left at the save path.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>

#include "transfer_test_fixture.h"

#ifndef _WIN32
#include "netpull/socket/platform/resolver.h"
#endif

namespace netpull::http {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

TEST_F(TransferTest, SendsTheRequestToThePortOfTheUrl) {
    Start();
    EXPECT_EQ(request,
              RequestText("/file", "127.0.0.1", "127.0.0.1:" + std::to_string(server.Port())));
    EXPECT_EQ(transfer->URL(), Url());
    EXPECT_EQ(transfer->SaveAs(), path);
}

TEST_F(TransferTest, RewritesTheCallersUrl) {
    transfer = HTTPtransfer::Create();
    std::string url = "HTTP://127.0.0.1:" + std::to_string(server.Port()) + "\\Files\\A.zip";
    const std::string given = url;
    transfer->Download(url, path);
    EXPECT_EQ(url, "http://127.0.0.1:" + std::to_string(server.Port()) + "/files/a.zip");
    EXPECT_EQ(transfer->URL(), given);
    transfer->Cancel();
}

TEST_F(TransferTest, HeaderAndBodyInOneArrival) {
    Start();
    Send("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello");
    CloseAndWait();
    EXPECT_THAT(log, ElementsAre("Downloaded"));
    EXPECT_EQ(FileBytes(), "hello");
    EXPECT_EQ(transfer->DownloadedBytes(), 5);
}

TEST_F(TransferTest, HeaderInThreeArrivals) {
    Start();
    Send("HTTP/1.1 200 OK\r\n");
    Send("Content-Length: 100\r\n");
    Send("\r\n" + std::string(100, 'b'));
    EXPECT_THAT(log, ElementsAre("Progress 0 0", "Progress 0 0", "Downloaded"));
    EXPECT_EQ(transfer->DownloadedBytes(), 100);
    EXPECT_EQ(FileBytes(), std::string(100, 'b'));
}

TEST_F(TransferTest, HeaderEndSplitAcrossArrivals) {
    Start();
    Send("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n");
    Send("\r");
    Send("\nbody");
    CloseAndWait();
    EXPECT_EQ(log.back(), "Downloaded");
    EXPECT_EQ(FileBytes(), "body");
}

TEST_F(TransferTest, BodyWithoutLengthEndsAtClose) {
    Start();
    Send("HTTP/1.1 200 OK\r\n\r\nfirst");
    Send("second");
    CloseAndWait();
    EXPECT_THAT(log, ElementsAre("Progress 11 0", "Downloaded"));
    EXPECT_EQ(FileBytes(), "firstsecond");
}

struct FailedStatus {
    const char* name;
    const char* statusLine;
    const char* error;
};

class FailedStatusTest : public TransferTest, public ::testing::WithParamInterface<FailedStatus> {};

TEST_P(FailedStatusTest, EndsWithErrorAndLeavesTheOldFileAlone) {
    std::ofstream(path) << "old";
    Start();
    Send(std::string(GetParam().statusLine) + "\r\nContent-Length: 9\r\n\r\nerror page");
    PumpUntil([&] { return Ended(); });
    PumpFor(30);
    EXPECT_THAT(log, ElementsAre(GetParam().error));
    EXPECT_EQ(FileBytes(), "old");
}

INSTANTIATE_TEST_SUITE_P(
    Transfer, FailedStatusTest,
    ::testing::Values(
        FailedStatus{"NotFoundOnHttp11", "HTTP/1.1 404 Not Found", "Error 404 server error"},
        FailedStatus{"NotFoundOnHttp10", "HTTP/1.0 404 Not Found", "Error 404 server error"},
        FailedStatus{"Moved", "HTTP/1.1 301 Moved", "Error 301 server error"},
        FailedStatus{"ServerError", "HTTP/1.0 500 Oops", "Error 500 server error"},
        FailedStatus{"NoStatusCode", "HTTP/1.1 OK", "Error 3 malformed status line"},
        FailedStatus{"NoStatusAtAll", "HTTP/1.1", "Error 3 malformed status line"},
        FailedStatus{"NotHttp", "FOO BAR", "Error 3 malformed status line"},
        FailedStatus{"IcecastStatus", "ICY 200 OK", "Error 3 malformed status line"},
        FailedStatus{"Http2Status", "HTTP/2 200", "Error 3 malformed status line"},
        FailedStatus{"HeaderWithoutStatusLine", "Server: no status line",
                     "Error 3 malformed status line"},
        FailedStatus{"LengthWithLetter", "HTTP/1.1 200 OK\r\nContent-Length: 1000x",
                     "Error 5 malformed content length"},
        FailedStatus{"NegativeLength", "HTTP/1.1 200 OK\r\nContent-Length: -5",
                     "Error 5 malformed content length"},
        FailedStatus{"SignedLength", "HTTP/1.1 200 OK\r\nContent-Length: +10",
                     "Error 5 malformed content length"},
        FailedStatus{"OverflowingLength", "HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999",
                     "Error 5 malformed content length"},
        FailedStatus{"TwoDifferentLengths", "HTTP/1.1 200 OK\r\nContent-Length: 10",
                     "Error 5 malformed content length"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TransferTest, StatusTwoHundredOnHttp10IsSaved) {
    Start();
    Send("HTTP/1.0 200 OK\r\n\r\nold style");
    CloseAndWait();
    EXPECT_THAT(log, ElementsAre("Downloaded"));
    EXPECT_EQ(FileBytes(), "old style");
}

TEST_F(TransferTest, ShortBodyIsAnErrorThatLeavesTheOldFile) {
    std::ofstream(path) << "old";
    Start();
    Send("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n" + std::string(500, 's'));
    CloseAndWait();
    EXPECT_THAT(log, ElementsAre("Error 1 connection lost"));
    EXPECT_EQ(FileBytes(), "old");
    EXPECT_THAT(FolderEntries(), ElementsAre("download.bin"));
}

TEST_F(TransferTest, CloseBeforeTheHeaderEnd) {
    Start();
    Send("HTTP/1.1 200 OK\r\n");
    CloseAndWait();
    EXPECT_THAT(log, ElementsAre("Progress 0 0", "Error 1 connection lost"));
    EXPECT_FALSE(FileExists());
}

TEST_F(TransferTest, ResetMidBody) {
    Start();
    Send("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n" + std::string(100, 'r'));
    ResetConnection();
    ASSERT_EQ(log.size(), 1u);
    // Wine reports the reset as a close: the body is then short, which is an error as well.
    if (netpull::testing::RunningUnderWine())
        EXPECT_THAT(log[0], ::testing::AnyOf(HasSubstr("Error 10054"), "Error 1 connection lost"));
    else
        EXPECT_THAT(log[0], HasSubstr("Error 10054"));
}

TEST_F(TransferTest, ChunkedBodiesAreDecoded) {
    Start();
    Send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nWi");
    Send("ki\r\n1");
    Send("0\r\n0123456789abcdef\r\n0\r\n\r\n");
    CloseAndWait();
    EXPECT_EQ(log.back(), "Downloaded");
    EXPECT_EQ(FileBytes(), "Wiki0123456789abcdef");
    EXPECT_EQ(transfer->DownloadedBytes(), 20);
}

TEST_F(TransferTest, BadOrUnfinishedChunkingIsAnError) {
    Start();
    Send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n");
    PumpUntil([&] { return Ended(); });
    EXPECT_THAT(log, ElementsAre("Error 4 malformed chunked body"));
}

TEST_F(TransferTest, ChunkedBodyCutShortIsConnectionLost) {
    Start();
    Send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nWiki\r\n");
    CloseAndWait();
    EXPECT_EQ(log.back(), "Error 1 connection lost");
}

TEST_F(TransferTest, SlowDripCountsEveryByte) {
    Start();
    Send("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n");
    for (int i = 0; i < 10; ++i) Send(std::string(1, static_cast<char>('0' + i)));
    CloseAndWait();
    EXPECT_EQ(log.size(), 11u);
    EXPECT_EQ(log[9], "Progress 10 10");
    EXPECT_EQ(FileBytes(), "0123456789");
}

TEST_F(TransferTest, EndlessHeaderIsStopped) {
    Start();
    Send("HTTP/1.1 200 OK\r\n");
    for (int i = 0; i < 70 && !Ended(); ++i) Send("X-Filler: " + std::string(1000, 'f') + "\r\n");
    EXPECT_TRUE(Ended());
    EXPECT_EQ(log.back(), "Error 2 response header too large");
    EXPECT_FALSE(FileExists());
}

TEST_F(TransferTest, FileThatCannotBeCreatedIsReported) {
    path = folder + "/missing/folder/file";
    Start();
    Send("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok");
    PumpUntil([&] { return Ended(); });
    ASSERT_EQ(log.size(), 1u);
    EXPECT_THAT(log[0], HasSubstr("Error 75 cannot create"));
    // Followed by the system's reason, in its words.
    EXPECT_THAT(log[0], ::testing::MatchesRegex(".*/missing/folder/file: \\w.+"));
}

TEST_F(TransferTest, CancelAtEveryStageRaisesNothing) {
    for (int stage = 0; stage < 4; ++stage) {
        request.clear();
        log.clear();
        transfer = HTTPtransfer::Create();
        transfer->events.Progress = [this](std::int64_t, std::int64_t) {
            log.push_back("Progress");
        };
        transfer->events.Downloaded = [this] { log.push_back("Downloaded"); };
        transfer->events.Error = [this](std::int32_t, const std::string&) {
            log.push_back("Error");
        };
        std::string url = Url();
        transfer->Download(url, path);
        if (stage >= 1) {
            ASSERT_TRUE(PumpUntil([&] { return request.ends_with("\r\n\r\n"); }));
        }
        if (stage >= 2) Send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n");
        if (stage >= 3) Send("\r\n" + std::string(50, 'c'));
        log.clear();
        transfer->Cancel();
        if (server.accepted) server.accepted->CloseSocket();
        PumpFor(50);
        EXPECT_THAT(log, IsEmpty()) << "stage " << stage;
        EXPECT_EQ(transfer->TotalBytes(), 0);
    }
}

// A folder as the save path fails the call, before any connection is made.
TEST_F(TransferTest, AFolderAsSavePathFailsTheCallItself) {
    transfer = HTTPtransfer::Create();
    std::string url = Url();
    try {
        transfer->Download(url, folder);
        FAIL() << "a folder was taken as the save path";
    } catch (const SocketError& e) {
        EXPECT_EQ(e.Number(), kFileError);
        EXPECT_THAT(e.Description(), HasSubstr("cannot create " + folder + ": "));
    }
    PumpFor(100);
    EXPECT_EQ(request, "") << "a connection was made";
    EXPECT_FALSE(server.accepted);
}

TEST_F(TransferTest, EmptyHostFailsTheCallItself) {
    transfer = HTTPtransfer::Create();
    std::string url = "http:///nothing";
    try {
        transfer->Download(url, path);
        FAIL() << "started without a host";
    } catch (const SocketError& e) {
        EXPECT_EQ(e.Number(), kMalformedUrl);
        EXPECT_EQ(e.Description(), "malformed URL: no host");
        EXPECT_EQ(e.Source(), "HTTP.Download");
    }
    PumpFor(100);
    EXPECT_FALSE(server.accepted) << "a connection was made";
}

TEST_F(TransferTest, AnotherSchemeIsRefusedAndTheRunningDownloadGoesOn) {
    Start();
    std::string url = "FTP://Server/File";
    try {
        transfer->Download(url, folder + "/other.bin");
        FAIL() << "an ftp:// URL was taken";
    } catch (const SocketError& e) {
        EXPECT_EQ(e.Number(), kUnsupportedScheme);
        EXPECT_EQ(e.Description(), "unsupported URL scheme: ftp");
    }
    EXPECT_EQ(url, "ftp://server/file") << "the caller's URL is rewritten all the same";
    Send("HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\nabc");
    ASSERT_TRUE(PumpUntil([&] { return Ended(); }));
    EXPECT_EQ(log.back(), "Downloaded");
    EXPECT_EQ(transfer->SaveAs(), path);
    EXPECT_EQ(FileBytes(), "abc");
}

TEST_F(TransferTest, RefusedConnectionIsOneError) {
    const std::int32_t port = server.Port();
    server.listener->CloseSocket();
    transfer = HTTPtransfer::Create();
    transfer->events.Error = [this](std::int32_t number, const std::string& description) {
        log.push_back("Error " + std::to_string(number) + " " + description);
    };
    std::string url = "http://127.0.0.1:" + std::to_string(port) + "/";
    transfer->Download(url, path);
    ASSERT_TRUE(PumpUntil([&] { return Ended(); }));
    PumpFor(30);
    EXPECT_THAT(log, ElementsAre("Error 10061 Connection refused."));
}

TEST_F(TransferTest, HandlersMayCancelRestartOrDropTheTransfer) {
    for (int action = 0; action < 3; ++action) {
        request.clear();
        log.clear();
        Start();
        transfer->events.Progress = [this, action](std::int64_t, std::int64_t) {
            log.push_back("Progress");
            if (action == 0) transfer->Cancel();
            if (action == 1) {
                std::string url = Url();
                transfer->Download(url, path);
            }
            if (action == 2) transfer.reset();
        };
        Send("HTTP/1.1 200 OK\r\n");
        // A cancelled transfer closed the connection: the server side may be gone.
        if (server.accepted->SocketHandle() != INVALID_SOCKET) Send("Content-Length: 3\r\n\r\nabc");
        server.accepted->CloseSocket();
        PumpFor(50);
        EXPECT_EQ(log.front(), "Progress") << action;
        if (transfer) transfer->Cancel();
        server.accepted.reset();
    }
}

TEST_F(TransferTest, InterimResponsesArePassedOver) {
    Start();
    Send("HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 103 Early Hints\r\nLink: </a.css>\r\n\r\n");
    Send("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nbody");
    ASSERT_TRUE(PumpUntil([&] { return Ended(); }));
    EXPECT_EQ(log.back(), "Downloaded");
    EXPECT_EQ(FileBytes(), "body");
}

// Responses that a reader would save wrongly: each ends in its Error, nothing written.
TEST_F(TransferTest, FoldedLinesAndUnknownCodingsAreRefused) {
    const std::pair<std::string, std::string> cases[] = {
        {"X-A: b\r\n Content-Length: 3\r\n\r\n" + std::string(5000, 'b'),
         "Error 3 malformed header line"},
        {"Transfer-Encoding:\r\n chunked\r\n\r\n3\r\nabc\r\n0\r\n\r\n",
         "Error 3 malformed header line"},
        {"Transfer-Encoding: gzip, chunked\r\n\r\n3\r\nabc\r\n0\r\n\r\n",
         "Error 4 unsupported transfer coding: gzip, chunked"},
        {"Transfer-Encoding: xchunked\r\n\r\n3\r\nabc\r\n0\r\n\r\n",
         "Error 4 unsupported transfer coding: xchunked"},
        {"Transfer-Encoding: chunked\r\nTransfer-Encoding: gzip\r\n\r\n3\r\nabc\r\n0\r\n\r\n",
         "Error 4 unsupported transfer coding: chunked, gzip"},
    };
    std::ofstream(path) << "old";
    for (const auto& [fields, expected] : cases) {
        log.clear();
        request.clear();
        Start();
        Send("HTTP/1.1 200 OK\r\n" + fields);
        ASSERT_TRUE(PumpUntil([&] { return Ended(); })) << fields;
        EXPECT_EQ(log.back(), expected) << fields;
        EXPECT_EQ(FileBytes(), "old");
        EXPECT_THAT(FolderEntries(), ElementsAre("download.bin"));
        server.accepted->CloseSocket();
        server.accepted.reset();
    }
}

// Both framings: Transfer-Encoding decides, Content-Length is passed over.
TEST_F(TransferTest, ChunkedWinsOverContentLength) {
    Start();
    Send(
        "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nTransfer-Encoding: chunked\r\n\r\n"
        "3\r\nabc\r\n0\r\n\r\n");
    ASSERT_TRUE(PumpUntil([&] { return Ended(); }));
    EXPECT_EQ(log.back(), "Downloaded");
    EXPECT_EQ(FileBytes(), "abc");
}

TEST_F(TransferTest, AnHttp09BodyIsRefusedBeforeItsEnd) {
    std::ofstream(path) << "old";
    Start();
    Send("<html><body>no header at all");
    ASSERT_TRUE(PumpUntil([&] { return Ended(); }));
    EXPECT_THAT(log, ElementsAre("Error 3 malformed status line"));
    EXPECT_EQ(FileBytes(), "old");
}

// A server that ignores "Connection: Close" and sends more than it announced: the download
// ends at the announced length, at once, with exactly those bytes.
TEST_F(TransferTest, EndsAtContentLengthWithoutWaitingForTheClose) {
    Start();
    Send("HTTP/1.1 200 OK\r\nContent-Length: 6\r\n\r\nabc");
    Send("defEXTRA BYTES");
    ASSERT_TRUE(PumpUntil([&] { return Ended(); }));
    EXPECT_THAT(log, ElementsAre("Progress 6 6", "Downloaded"));
    EXPECT_EQ(FileBytes(), "abcdef");
    EXPECT_EQ(transfer->DownloadedBytes(), 6);
}

TEST_F(TransferTest, ABodyInTheHeaderArrivalEndsAtOnce) {
    Start();
    Send("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n");
    ASSERT_TRUE(PumpUntil([&] { return Ended(); }));
    EXPECT_THAT(log, ElementsAre("Downloaded"));
    EXPECT_TRUE(FileExists());
    EXPECT_EQ(FileBytes(), "");
}

TEST_F(TransferTest, EndsAtTheLastChunkWithoutWaitingForTheClose) {
    Start();
    Send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n");
    Send("0\r\n\r\ntrailing garbage");
    ASSERT_TRUE(PumpUntil([&] { return Ended(); }));
    EXPECT_EQ(log.back(), "Downloaded");
    EXPECT_EQ(FileBytes(), "abc");
}

TEST_F(TransferTest, ASilentServerTimesOut) {
    ShortTimeouts();
    std::ofstream(path) << "old";
    for (const bool afterHeader : {false, true}) {
        log.clear();
        request.clear();
        Start();
        if (afterHeader) Send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nfirst bytes");
        const auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(PumpUntil([&] { return Ended(); })) << afterHeader;
        EXPECT_GE(std::chrono::steady_clock::now() - start,
                  std::chrono::milliseconds(kShortLimitMs - 100));
        EXPECT_EQ(log.back(), "Error 10060 Connection timed out.") << afterHeader;
        PumpFor(400);
        EXPECT_EQ(std::count_if(log.begin(), log.end(),
                                [](const std::string& e) { return e.starts_with("Error"); }),
                  1);
        EXPECT_EQ(FileBytes(), "old");
        server.accepted->CloseSocket();
        server.accepted.reset();
    }
}

// The drip lasts longer than the limit on silence, each pause well within it.
TEST_F(TransferTest, ADripKeepsTheDownloadAlive) {
    ShortTimeouts();
    Start();
    Send("HTTP/1.1 200 OK\r\nContent-Length: 12\r\n\r\n");
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 12; ++i) {
        Send("d");
        PumpFor(kShortLimitMs / 6);
    }
    ASSERT_TRUE(PumpUntil([&] { return Ended(); }));
    EXPECT_GT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(kShortLimitMs));
    EXPECT_EQ(log.back(), "Downloaded");
    EXPECT_EQ(FileBytes(), std::string(12, 'd'));
}

#ifndef _WIN32
// Resolution that never ends: the name is asked of a server that reads and never answers.
// Windows lets no program choose its name servers: this case is the stand-in's.
TEST_F(TransferTest, ResolvingAndConnectingHaveTheirOwnLimit) {
    SetTransferTimeoutsForTesting({kShortLimitMs, 60000});
    const SOCKET silent = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(silent, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    platform::UseNameServers("127.0.0.1:" + std::to_string(netpull::testing::BoundPort(silent)));
    transfer = HTTPtransfer::Create();
    transfer->events.Error = [this](std::int32_t number, const std::string& description) {
        log.push_back("Error " + std::to_string(number) + " " + description);
    };
    std::string url = "http://no-such-host.invalid/file";
    transfer->Download(url, path);
    EXPECT_TRUE(PumpUntil([&] { return Ended(); }));
    EXPECT_THAT(log, ElementsAre("Error 10060 Connection timed out."));
    closesocket(silent);
    platform::UseNameServers("127.0.0.1:9");
}
#endif

// Over https:// the first bytes are the TLS client hello; a server that then stalls, answers
// in plain text or closes ends the download in one Error, with the file at the save path kept.
TEST_F(TransferTest, AServerThatSpeaksNoTlsEndsTheHandshake) {
    std::ofstream(path) << "old";
    const std::pair<std::string, std::string> cases[] = {
        {"", "Error 10060 Connection timed out."},
        {"HTTP/1.1 400 Bad Request\r\n\r\n", "Error 7 TLS handshake failed: "},
        {"close", "Error 7 TLS handshake failed: the server closed the connection"}};
    for (const auto& [answer, expected] : cases) {
        log.clear();
        request.clear();
        // Only the silent server waits for the limit; the others must not meet it first.
        if (answer.empty())
            ShortTimeouts();
        else
            SetTransferTimeoutsForTesting({});
        transfer = HTTPtransfer::Create();
        transfer->events.FoundServer = [this] { log.push_back("FoundServer"); };
        transfer->events.Error = [this](std::int32_t number, const std::string& description) {
            log.push_back("Error " + std::to_string(number) + " " + description);
        };
        std::string url = "https://127.0.0.1:" + std::to_string(server.Port()) + "/file";
        transfer->Download(url, path);
        ASSERT_TRUE(PumpUntil([&] { return !request.empty(); })) << answer;
        EXPECT_EQ(request.front(), '\x16') << "a TLS handshake record";
        if (answer == "close") {
            server.accepted->CloseSocket();
        } else if (!answer.empty()) {
            server.accepted->SendData(Variant(answer));
        }
        ASSERT_TRUE(PumpUntil([&] { return Ended(); })) << answer;
        PumpFor(400);
        ASSERT_EQ(log.size(), 2u) << answer;
        EXPECT_EQ(log[0], "FoundServer");
        EXPECT_THAT(log[1], ::testing::StartsWith(expected));
        EXPECT_EQ(FileBytes(), "old");
        EXPECT_THAT(FolderEntries(), ElementsAre("download.bin"));
        if (server.accepted) server.accepted->CloseSocket();
        server.accepted.reset();
    }
}

TEST_F(TransferTest, ErrorsLeaveNoTemporaryFileBehind) {
    std::ofstream(path) << "old";
    Start();
    Send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\npartial");
    EXPECT_EQ(FolderEntries().size(), 2u) << "the body goes to a file of its own";
    ResetConnection();
    EXPECT_THAT(FolderEntries(), ElementsAre("download.bin"));
    EXPECT_EQ(FileBytes(), "old");
}

TEST_F(TransferTest, CancelKeepsTheBytesWrittenSoFar) {
    std::ofstream(path) << "old";
    Start();
    Send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\npartial");
    transfer->Cancel();
    PumpFor(30);
    EXPECT_EQ(FileBytes(), "partial");
    EXPECT_THAT(FolderEntries(), ElementsAre("download.bin"));
}

// Two transfers to one path, their bodies interleaved arrival by arrival: the path ends with
// one of them whole.
TEST_F(TransferTest, TwoDownloadsToOnePathNeverInterleave) {
    std::vector<std::shared_ptr<CSocket>> sides;
    server.onAccepting = [&](CSocket& accepted) {
        accepted.events.OnDataArrival = [](std::int32_t) {};
    };
    server.listener->events.OnConnectionRequest = [&](std::int32_t requestID) {
        sides.push_back(CSocket::Create());
        sides.back()->Accept(requestID);
    };
    std::vector<std::shared_ptr<HTTPtransfer>> transfers;
    int downloaded = 0;
    for (int i = 0; i < 2; ++i) {
        transfers.push_back(HTTPtransfer::Create());
        transfers.back()->events.Downloaded = [&] { ++downloaded; };
        std::string url = Url();
        transfers.back()->Download(url, path);
    }
    ASSERT_TRUE(PumpUntil([&] { return sides.size() == 2; }));
    PumpFor(50);
    for (auto& side : sides)
        side->SendData(Variant(std::string("HTTP/1.1 200 OK\r\nContent-Length: 6000\r\n\r\n")));
    for (int part = 0; part < 3; ++part) {
        for (std::size_t i = 0; i < sides.size(); ++i)
            sides[i]->SendData(Variant(std::string(2000, 'A' + i)));
        PumpFor(30);
    }
    ASSERT_TRUE(PumpUntil([&] { return downloaded == 2; }));
    const std::string bytes = FileBytes();
    EXPECT_TRUE(bytes == std::string(6000, 'A') || bytes == std::string(6000, 'B'));
    EXPECT_THAT(FolderEntries(), ElementsAre("download.bin"));
    for (auto& side : sides) side->CloseSocket();
}

}  // namespace
}  // namespace netpull::http
