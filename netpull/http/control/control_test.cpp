// The download control's display after each handler, its resize rules, and the events it
// passes to its host, driven by downloads from a scripted loopback server.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <QPlainTextEdit>
#include <QTest>
#include <QVBoxLayout>

#include <filesystem>

#include "netpull/http/control/http_control.h"
#include "netpull/socket/testing/socket_test_support.h"
#include "twips.h"

namespace netpull::http {
namespace {

using netpull::testing::PumpFor;
using netpull::testing::PumpUntil;

class ControlTest : public netpull::testing::SocketTest {
  protected:
    void SetUp() override {
        SocketTest::SetUp();
        control = std::make_unique<HTTP>();
        control->show();
        server.RecordRequests(request);
    }
    void TearDown() override {
        control.reset();
        if (server.accepted) server.accepted->CloseSocket();
        server.listener->CloseSocket();
        SocketTest::TearDown();
        std::filesystem::remove(path);
    }
    void Start(const std::string& tail = "/file") {
        std::string url = "http://127.0.0.1:" + std::to_string(server.Port()) + tail;
        control->Download(url, path);
        ASSERT_TRUE(PumpUntil([&] { return request.ends_with("\r\n\r\n"); }));
    }
    // Sends one arrival and waits until the control's transfer has read it.
    void Send(const std::string& bytes) {
        const HTTPtransfer* reader = control ? control->Transfer() : nullptr;
        netpull::testing::SendAndWaitUntilRead(server.accepted, bytes, [&]() -> std::int64_t {
            return reader && control && control->Transfer() == reader ? reader->ReceivedBytes()
                                                                      : -1;
        });
    }
    QString Stat(int i) const { return control->lblStat[static_cast<std::size_t>(i)]->text(); }

    netpull::testing::LoopbackServer server;
    std::unique_ptr<HTTP> control;
    std::string request;
    std::string path = "/tmp/netpull-control-test.bin";
};

TEST_F(ControlTest, StartsIdleAndCancelDoesNothingWithoutADownload) {
    EXPECT_EQ(Stat(5), "From:");
    EXPECT_EQ(Stat(2), "Downloaded:");
    EXPECT_EQ(Stat(4), "0% (0 mb)");
    // "&Cancel": shown as "Cancel" with its access key C underlined, never with the "&".
    EXPECT_EQ(control->btnCancel->textFormat(), Qt::RichText);
    EXPECT_EQ(control->btnCancel->text(), "<u>C</u>ancel");
    QTest::mouseClick(control->btnCancel, Qt::LeftButton);
    EXPECT_EQ(Stat(4), "0% (0 mb)");
    try {
        control->URL();
        FAIL() << "a property was read without a transfer";
    } catch (const SocketError& e) {
        EXPECT_EQ(e.Number(), 91);
    }
}

TEST_F(ControlTest, ProgressShowsPercentBarAndAmount) {
    QString label1InHandler, amountInHandler;
    std::vector<std::pair<int, int>> progress;
    control->hostEvents.Progress = [&](std::int32_t& bytes, std::int32_t& ofBytes) {
        progress.emplace_back(bytes, ofBytes);
        label1InHandler = control->Label1->text();
        amountInHandler = Stat(4);
    };
    Start();
    Send("HTTP/1.1 200 OK\r\nContent-Length: 2048\r\n\r\n");
    Send(std::string(512, 'p'));
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), std::pair(512, 2048));
    // The host hears Progress after the bar and before the text rows.
    EXPECT_EQ(label1InHandler, "25%");
    EXPECT_EQ(amountInHandler, "0% (0 mb)");
    EXPECT_EQ(Stat(4), "25% (512bytes)");
    EXPECT_NEAR(control->Shape2->width(), control->Shape1->width() / 4.0, 1.0);
    EXPECT_EQ(Stat(3), "0bytes per second.");
}

TEST_F(ControlTest, ProgressWithoutLengthShowsBytes) {
    Start();
    Send("HTTP/1.1 200 OK\r\n\r\n");
    Send(std::string(3000, 'q'));
    EXPECT_EQ(control->Label1->text(), "3000 bytes.");
    EXPECT_EQ(Stat(4), "0% (0 mb)");
}

TEST_F(ControlTest, LongUrlsShowTheirEnd) {
    std::string tail = "/";
    tail += std::string(60 - 18 - std::to_string(server.Port()).size(), 'u');
    Start(tail);
    Send("HTTP/1.1 200 OK\r\n");
    const std::string url = control->URL();
    ASSERT_EQ(url.size(), 60u);
    EXPECT_EQ(Stat(0).toStdString(), url.substr(60 - 34));
}

TEST_F(ControlTest, DownloadedAndErrorDisplays) {
    int downloaded = 0;
    control->hostEvents.Downloaded = [&] { ++downloaded; };
    Start();
    Send("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok");
    server.accepted->CloseSocket();
    ASSERT_TRUE(PumpUntil([&] { return downloaded == 1; }));
    EXPECT_EQ(control->Label1->text(), "completed");
    EXPECT_EQ(Stat(0), "complete");
    EXPECT_EQ(Stat(3), "idle");
    EXPECT_EQ(Stat(4), "100%");

    request.clear();
    std::pair<int, std::string> error;
    control->hostEvents.Error = [&](std::int32_t& number, std::string& description) {
        error = {number, description};
    };
    Start();
    Send("HTTP/1.1 404 Not Found\r\n\r\n");
    ASSERT_TRUE(PumpUntil([&] { return error.first != 0; }));
    EXPECT_EQ(error, std::pair(404, std::string("server error")));
    EXPECT_EQ(control->Label1->text(), "failed");
    EXPECT_EQ(Stat(0), "failed");
    EXPECT_EQ(Stat(1), "404 server error");
    EXPECT_EQ(Stat(4), "0% (0 mb)");
    EXPECT_EQ(control->Shape2->width(), 0);
}

TEST_F(ControlTest, ResizeSnapsAndHidesRows) {
    control->resize(TwipsToPixels(3000), TwipsToPixels(400));
    EXPECT_EQ(control->width(), TwipsToPixels(4000));
    EXPECT_EQ(control->height(), TwipsToPixels(480));
    EXPECT_FALSE(control->lblStat[0]->isVisible());
    EXPECT_FALSE(control->lblStat[1]->isVisible());
    EXPECT_FALSE(control->lblStat[3]->isVisible());
    EXPECT_EQ(PixelsToTwips(control->lblStat[2]->y()), 120);
    control->resize(TwipsToPixels(4815), TwipsToPixels(1000));
    EXPECT_TRUE(control->lblStat[0]->isVisible());
    EXPECT_TRUE(control->lblStat[3]->isVisible());
    EXPECT_FALSE(control->lblStat[1]->isVisible());
    EXPECT_EQ(control->btnCancel->x(),
              control->Shape1->x() + control->Shape1->width() + TwipsToPixels(120));
}

TEST_F(ControlTest, ANewDownloadSilencesTheOldOne) {
    int errors = 0, progress = 0;
    control->hostEvents.Error = [&](std::int32_t&, std::string&) { ++errors; };
    control->hostEvents.Progress = [&](std::int32_t&, std::int32_t&) { ++progress; };
    Start();
    const std::shared_ptr<CSocket> first = server.accepted;
    request.clear();
    Start();
    // Dropping the old transfer closed its connection; whatever its server does now is unheard.
    if (first->SocketHandle() != INVALID_SOCKET)
        first->SendData(Variant(std::string("HTTP/1.1 200 OK\r\n")));
    first->CloseSocket();
    PumpFor(80);
    EXPECT_EQ(errors, 0);
    EXPECT_EQ(progress, 0);
}

TEST_F(ControlTest, HostMayDestroyTheControlInsideAnEvent) {
    bool destroyed = false;
    control->hostEvents.Progress = [&](std::int32_t&, std::int32_t&) {
        control.reset();
        destroyed = true;
    };
    Start();
    Send("HTTP/1.1 200 OK\r\n");
    ASSERT_TRUE(PumpUntil([&] { return destroyed; }));
    PumpFor(30);
}

TEST_F(ControlTest, CancelFromTheHostKeepsTheDisplay) {
    Start();
    Send("HTTP/1.1 200 OK\r\nContent-Length: 2048\r\n\r\n");
    Send(std::string(512, 'p'));
    QTest::mouseClick(control->btnCancel, Qt::LeftButton);
    PumpFor(30);
    EXPECT_EQ(Stat(4), "25% (512bytes)");
    EXPECT_EQ(control->TotalBytes(), 0);
}

// A host's layout gives the control its design size and puts what follows below it.
TEST_F(ControlTest, ALayoutGivesTheControlItsDesignSize) {
    const QSize design(TwipsToPixels(4815), TwipsToPixels(1455));
    EXPECT_EQ(control->sizeHint(), design);
    EXPECT_EQ(control->minimumSizeHint(), design);
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* hosted = new HTTP(&window);
    auto* log = new QPlainTextEdit(&window);
    layout->addWidget(hosted);
    layout->addWidget(log);
    window.show();
    window.resize(200, 100);  // smaller than the control: the layout keeps the minimum
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return hosted->height() >= design.height(); }, testing::kGenerousMs));
    EXPECT_GE(hosted->width(), design.width());
    EXPECT_GE(log->y(), hosted->y() + hosted->height());
    EXPECT_TRUE(hosted->lblStat[2]->isVisible());
}

}  // namespace
}  // namespace netpull::http
