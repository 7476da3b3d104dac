// Downloads from a scripted server on loopback: the exact bytes of each arrival, the events
// with their order and arguments, and the file left at the save path.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/socket.h>

#include <filesystem>
#include <fstream>

#include "netpull/http/http_transfer.h"
#include "netpull/socket/socket_test_support.h"

namespace netpull::http {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using netpull::testing::PumpFor;
using netpull::testing::PumpUntil;

class TransferTest : public netpull::testing::SocketTest {
protected:
    void SetUp() override {
        SocketTest::SetUp();
        char pattern[] = "/tmp/netpull-test-XXXXXX";
        folder = mkdtemp(pattern);
        path = folder + "/download.bin";
        server.RecordRequests(request);
    }
    void TearDown() override {
        transfer.reset();
        if (server.accepted) server.accepted->CloseSocket();
        server.listener->CloseSocket();
        PumpFor(20);
        std::filesystem::remove_all(folder);
        SocketTest::TearDown();
    }

    std::string Url() const { return "http://127.0.0.1:" + std::to_string(server.Port()) + "/file"; }

    void Start() {
        transfer = HTTPtransfer::Create();
        transfer->events.FoundServer = [this] { log.push_back("FoundServer"); };
        transfer->events.Progress = [this](std::int64_t bytes, std::int64_t of) {
            log.push_back("Progress " + std::to_string(bytes) + " " + std::to_string(of));
        };
        transfer->events.Downloaded = [this] { log.push_back("Downloaded"); };
        transfer->events.Error = [this](std::int32_t number, const std::string& description) {
            log.push_back("Error " + std::to_string(number) + " " + description);
        };
        std::string url = Url();
        transfer->Download(url, path);
        ASSERT_TRUE(PumpUntil([&] { return request.ends_with("\r\n\r\n"); }));
        log.clear();  // FoundServer came before the request; kept out of each case's list
    }
    // Sends one arrival and lets the client read it before the next.
    void Send(const std::string& bytes) {
        server.accepted->SendData(Variant(bytes));
        PumpFor(40);
    }
    bool Ended() const {
        return !log.empty() && (log.back() == "Downloaded" || log.back().starts_with("Error"));
    }
    void CloseAndWait() {
        server.accepted->CloseSocket();
        EXPECT_TRUE(PumpUntil([&] { return Ended(); }));
        PumpFor(30);
    }
    void ResetConnection() {
        const linger abort{1, 0};
        ::setsockopt(platform::DescriptorOf(server.accepted->SocketHandle()), SOL_SOCKET, SO_LINGER, &abort,
                     sizeof abort);
        server.accepted->CloseSocket();
        EXPECT_TRUE(PumpUntil([&] { return Ended(); }));
        PumpFor(30);
    }
    std::string FileBytes() const {
        std::ifstream file(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }
    bool FileExists() const { return std::filesystem::exists(path); }

    netpull::testing::LoopbackServer server;
    std::string folder, path, request;
    std::shared_ptr<HTTPtransfer> transfer;
    std::vector<std::string> log;
};

TEST_F(TransferTest, SendsTheRequestToThePortOfTheUrl) {
    Start();
    EXPECT_EQ(request, RequestText(Url(), "127.0.0.1", "127.0.0.1"));
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
    EXPECT_THAT(log, ElementsAre("Progress 0 0", "Progress 0 0"));
    EXPECT_EQ(transfer->DownloadedBytes(), 100);
    EXPECT_EQ(transfer->TotalBytes(), 100);
    CloseAndWait();
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

INSTANTIATE_TEST_SUITE_P(Transfer, FailedStatusTest,
                         ::testing::Values(FailedStatus{"HTTP/1.1 404 Not Found", "Error 404 server error"},
                                           FailedStatus{"HTTP/1.0 404 Not Found", "Error 404 server error"},
                                           FailedStatus{"HTTP/1.1 301 Moved", "Error 301 server error"},
                                           FailedStatus{"HTTP/1.0 500 Oops", "Error 500 server error"},
                                           FailedStatus{"HTTP/1.1 OK", "Error 3 malformed status line"},
                                           FailedStatus{"HTTP/1.1", "Error 3 malformed status line"}));

TEST_F(TransferTest, StatusTwoHundredOnHttp10IsSaved) {
    Start();
    Send("HTTP/1.0 200 OK\r\n\r\nold style");
    CloseAndWait();
    EXPECT_THAT(log, ElementsAre("Downloaded"));
    EXPECT_EQ(FileBytes(), "old style");
}

TEST_F(TransferTest, ShortBodyIsAnErrorWithoutDownloaded) {
    Start();
    Send("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n" + std::string(500, 's'));
    CloseAndWait();
    EXPECT_THAT(log, ElementsAre("Error 1 connection lost"));
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
    EXPECT_THAT(log[0], HasSubstr("No such file or directory"));
}

TEST_F(TransferTest, CancelAtEveryStageRaisesNothing) {
    for (int stage = 0; stage < 4; ++stage) {
        request.clear();
        log.clear();
        transfer = HTTPtransfer::Create();
        transfer->events.Progress = [this](std::int64_t, std::int64_t) { log.push_back("Progress"); };
        transfer->events.Downloaded = [this] { log.push_back("Downloaded"); };
        transfer->events.Error = [this](std::int32_t, const std::string&) { log.push_back("Error"); };
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

TEST_F(TransferTest, EmptyHostFailsTheCallItself) {
    transfer = HTTPtransfer::Create();
    std::string url = "http:///nothing";
    try {
        transfer->Download(url, path);
        FAIL() << "started without a host";
    } catch (const SocketError& e) {
        EXPECT_EQ(e.Number(), 10049);
        EXPECT_EQ(e.Source(), "CSocket.CSocket.Connect");
    }
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
        if (server.accepted->SocketHandle() != -1) Send("Content-Length: 3\r\n\r\nabc");
        server.accepted->CloseSocket();
        PumpFor(50);
        EXPECT_EQ(log.front(), "Progress") << action;
        if (transfer) transfer->Cancel();
        server.accepted.reset();
    }
}

}  // namespace
}  // namespace netpull::http
