// The control without its view, on both platforms: when the host hears each event against
// what the display shows, what a host's handler leaves in its arguments, and a host that
// destroys the control from inside an event.
#include "netpull/http/display/download_control.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "netpull/socket/testing/socket_test_support.h"

namespace netpull::http {
namespace {

using netpull::testing::PumpFor;
using netpull::testing::PumpUntil;

class DownloadControlTest : public netpull::testing::SocketTest {
  protected:
    void SetUp() override {
        SocketTest::SetUp();
        control = std::make_unique<DownloadControl>();
        server.RecordRequests(request);
    }
    void TearDown() override {
        control.reset();
        if (server.accepted) server.accepted->CloseSocket();
        server.listener->CloseSocket();
        SocketTest::TearDown();
        std::filesystem::remove(path);
    }
    void Start() {
        std::string url = "http://127.0.0.1:" + std::to_string(server.Port()) + "/file";
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
    const std::string& Shown(Element element) const { return control->Model()[element].text; }

    netpull::testing::LoopbackServer server;
    std::unique_ptr<DownloadControl> control;
    std::string request;
    std::string path =
        (std::filesystem::temp_directory_path() / "netpull-download-control.bin").string();
};

TEST_F(DownloadControlTest, TheHostHearsProgressBetweenTheBarAndTheDetails) {
    std::string barInHandler, amountInHandler;
    int redrawn = 0;
    control->changed = [&] { ++redrawn; };
    control->hostEvents.Progress = [&](std::int32_t& bytes, std::int32_t& ofBytes) {
        EXPECT_EQ(ofBytes, 2048);
        barInHandler = Shown(Element::Label1);
        amountInHandler = Shown(Element::Stat4);
        bytes = ofBytes = 0;  // by reference, and the display does not depend on it
    };
    Start();
    Send("HTTP/1.1 200 OK\r\nContent-Length: 2048\r\n\r\n");
    Send(std::string(512, 'p'));
    EXPECT_EQ(barInHandler, "25%");
    EXPECT_EQ(amountInHandler, "0% (0 mb)");
    EXPECT_EQ(Shown(Element::Stat4), "25% (512bytes)");
    EXPECT_EQ(control->Model()[Element::Shape2].area.width, 2535 / 4);
    EXPECT_GE(redrawn, 2);
    EXPECT_EQ(control->DownloadedBytes(), 512);
}

TEST_F(DownloadControlTest, TheErrorShownIsWhatTheHostsHandlerLeft) {
    control->hostEvents.Error = [&](std::int32_t& number, std::string& description) {
        EXPECT_EQ(Shown(Element::Label1), "failed");
        EXPECT_EQ(number, 404);
        number = 7;
        description = "handled";
    };
    Start();
    Send("HTTP/1.1 404 Not Found\r\n\r\n");
    ASSERT_TRUE(PumpUntil([&] { return Shown(Element::Stat0) == "failed"; }));
    EXPECT_EQ(Shown(Element::Stat1), "7 handled");
}

TEST_F(DownloadControlTest, AHostMayDestroyTheControlInsideAnyEvent) {
    bool destroyed = false;
    control->hostEvents.Downloaded = [&] {
        control.reset();
        destroyed = true;
    };
    Start();
    Send("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok");
    ASSERT_TRUE(PumpUntil([&] { return destroyed; }));
    PumpFor(30);
}

TEST_F(DownloadControlTest, PropertiesBeforeADownloadAndCancelWithoutOne) {
    control->btnCancel_Click();
    try {
        control->SaveAs();
        FAIL() << "a property was read without a transfer";
    } catch (const SocketError& e) {
        EXPECT_EQ(e.Number(), 91);
    }
}

}  // namespace
}  // namespace netpull::http
