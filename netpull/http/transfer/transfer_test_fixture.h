// The fixture of the download tests: a scripted server on loopback, a transfer whose events
// are logged as text, and readers of the file and the folder it writes to.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "netpull/http/transfer/http_transfer.h"
#include "netpull/socket/testing/socket_test_support.h"
#include "netpull/socket/windows_sockets.h"
#include "transfer_timeouts.h"

namespace netpull::http {

using netpull::testing::PumpFor;
using netpull::testing::PumpUntil;

class TransferTest : public netpull::testing::SocketTest {
  protected:
    void SetUp() override {
        SocketTest::SetUp();
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = (std::filesystem::temp_directory_path() /
                  ("netpull-transfer-" + std::string(test->name())))
                     .string();
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        path = folder + "/download.bin";
        server.RecordRequests(request);
    }
    void TearDown() override {
        SetTransferTimeoutsForTesting({});
        transfer.reset();
        if (server.accepted) server.accepted->CloseSocket();
        server.listener->CloseSocket();
        SocketTest::TearDown();
        std::filesystem::remove_all(folder);
    }

    std::string Url() const {
        return "http://127.0.0.1:" + std::to_string(server.Port()) + "/file";
    }

    // A new transfer whose events go to the log as text.
    void CreateLoggedTransfer() {
        transfer = HTTPtransfer::Create();
        transfer->events.FoundServer = [this] { log.push_back("FoundServer"); };
        transfer->events.Progress = [this](std::int64_t bytes, std::int64_t of) {
            log.push_back("Progress " + std::to_string(bytes) + " " + std::to_string(of));
        };
        transfer->events.Downloaded = [this] { log.push_back("Downloaded"); };
        transfer->events.Error = [this](std::int32_t number, const std::string& description) {
            log.push_back("Error " + std::to_string(number) + " " + description);
        };
    }
    void Start() {
        CreateLoggedTransfer();
        std::string url = Url();
        transfer->Download(url, path);
        ASSERT_TRUE(PumpUntil([&] { return request.ends_with("\r\n\r\n"); }));
        log.clear();  // FoundServer came before the request; kept out of each case's list
    }
    // Sends one arrival and waits until the client has read it, so that it arrives alone.
    void Send(const std::string& bytes) {
        const std::shared_ptr<HTTPtransfer> reader = transfer;
        netpull::testing::SendAndWaitUntilRead(server.accepted, bytes, [&]() -> std::int64_t {
            return reader && transfer == reader ? reader->ReceivedBytes() : -1;
        });
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
        setsockopt(server.accepted->SocketHandle(), SOL_SOCKET, SO_LINGER,
                   reinterpret_cast<const char*>(&abort), sizeof abort);
        server.accepted->CloseSocket();
        EXPECT_TRUE(PumpUntil([&] { return Ended(); }));
        PumpFor(30);
    }
    std::string FileBytes() const {
        std::ifstream file(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }
    bool FileExists() const { return std::filesystem::exists(path); }
    std::vector<std::string> FolderEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    // Shortens the limits on silence for one test: still long enough that a busy machine's
    // delays never reach them where a test waits for something else.
    static constexpr std::uint32_t kShortLimitMs = 1500;
    void ShortTimeouts() { SetTransferTimeoutsForTesting({kShortLimitMs, kShortLimitMs}); }

    netpull::testing::LoopbackServer server;
    std::string folder, path, request;
    std::shared_ptr<HTTPtransfer> transfer;
    std::vector<std::string> log;
};

}  // namespace netpull::http
