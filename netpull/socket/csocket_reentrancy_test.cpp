// Handlers that close, destroy or reconnect their own socket from inside every event, nested
// pumps, and resolution results that arrive after their object is gone or replaced.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "netpull/socket/testing/socket_test_support.h"

namespace netpull {
namespace {

using testing::LoopbackServer;
using testing::PumpUntil;
using testing::SocketTest;

enum class Action { Close, Destroy, Reconnect };

class FromInsideHandlers : public SocketTest, public ::testing::WithParamInterface<Action> {
  protected:
    // Runs the action on the client from inside a handler; the client may be gone afterwards.
    void Act() {
        ++acted;
        switch (GetParam()) {
            case Action::Close:
                client->CloseSocket();
                break;
            case Action::Destroy:
                client.reset();
                break;
            case Action::Reconnect:
                client->CloseSocket();
                client->Connect(Variant("127.0.0.1"), Variant(server.Port()));
                break;
        }
    }
    void ConnectClient() {
        bool connected = false;
        client->events.OnConnect = [&] { connected = true; };
        client->Connect(Variant("127.0.0.1"), Variant(server.Port()));
        ASSERT_TRUE(PumpUntil([&] { return connected && server.accepted; }));
        client->events.OnConnect = nullptr;
    }
    void TearDown() override {
        testing::PumpFor(30);
        if (client) client->CloseSocket();
        if (server.accepted) server.accepted->CloseSocket();
        server.listener->CloseSocket();
        testing::PumpFor(30);
        SocketTest::TearDown();
    }
    LoopbackServer server;
    std::shared_ptr<CSocket> client = CSocket::Create();
    int acted = 0;
};

TEST_P(FromInsideHandlers, OnConnect) {
    client->events.OnConnect = [this] {
        if (acted == 0) Act();
    };
    client->Connect(Variant("127.0.0.1"), Variant(server.Port()));
    ASSERT_TRUE(PumpUntil([&] { return acted == 1; }));
}

TEST_P(FromInsideHandlers, OnDataArrival) {
    ConnectClient();
    client->events.OnDataArrival = [this](std::int32_t) {
        if (acted == 0) Act();
    };
    server.accepted->SendData(Variant(std::string(300000, 'z')));
    ASSERT_TRUE(PumpUntil([&] { return acted == 1; }));
}

TEST_P(FromInsideHandlers, OnSendProgress) {
    ConnectClient();
    client->events.OnSendProgress = [this](std::int32_t, std::int32_t) {
        if (acted == 0) Act();
    };
    client->SendData(Variant("abc"));
    ASSERT_EQ(acted, 1);
}

TEST_P(FromInsideHandlers, OnSendComplete) {
    ConnectClient();
    client->events.OnSendComplete = [this] {
        if (acted == 0) Act();
    };
    client->SendData(Variant("abc"));
    ASSERT_TRUE(PumpUntil([&] { return acted == 1; }));
}

TEST_P(FromInsideHandlers, OnCloseAndOnError) {
    bool connected = false;
    client->events.OnConnect = [&] { connected = true; };
    client->events.OnClose = [this] {
        if (acted == 0) Act();
    };
    client->Connect(Variant("127.0.0.1"), Variant(server.Port()));
    ASSERT_TRUE(PumpUntil([&] { return connected && server.accepted; }));
    server.accepted->SendData(Variant("bye"));
    server.accepted->CloseSocket();
    ASSERT_TRUE(PumpUntil([&] { return acted == 1; }));
    if (!client) client = CSocket::Create();
    client->events.OnError = [this](std::int16_t, std::string&, std::int32_t, const std::string&,
                                    const std::string&, std::int32_t, bool&) {
        if (acted == 1) Act();
    };
    const std::int32_t port = server.Port();
    server.listener->CloseSocket();
    client->CloseSocket();
    client->Connect(Variant("127.0.0.1"), Variant(port));  // refused now
    ASSERT_TRUE(PumpUntil([&] { return acted == 2; }));
}

TEST_P(FromInsideHandlers, OnConnectionRequest) {
    server.listener->events.OnConnectionRequest = [this](std::int32_t requestID) {
        if (acted == 0) {
            std::shared_ptr<CSocket> keep = server.listener;
            server.listener->CloseSocket();
            ++acted;
        }
        // The accepted handle is taken over so that nothing leaks.
        server.accepted = CSocket::Create();
        server.accepted->Accept(requestID);
    };
    client->Connect(Variant("127.0.0.1"), Variant(server.Port()));
    ASSERT_TRUE(PumpUntil([&] { return acted == 1; }));
}

INSTANTIATE_TEST_SUITE_P(Socket, FromInsideHandlers,
                         ::testing::Values(Action::Close, Action::Destroy, Action::Reconnect),
                         [](const auto& info) {
                             switch (info.param) {
                                 case Action::Close:
                                     return "Close";
                                 case Action::Destroy:
                                     return "Destroy";
                                 case Action::Reconnect:
                                     return "Reconnect";
                             }
                             return "";
                         });

// Windows gives a closed socket's handle to the next socket: a notification still queued for
// the closed one must not reach its successor.
TEST_F(SocketTest, ANotificationLeftByAClosedSocketNeverReachesTheNextOneWithItsHandle) {
    LoopbackServer keeper;  // keeps the hidden window and its queue
    auto closed = CSocket::Create();
    closed->Bind(0, "127.0.0.1");
    closed->Listen();
    const SOCKET handle = closed->SocketHandle();
    const MSocketSupport::ServiceState& state = MSocketSupport::State();
    PostMessageA(state.SocketWindow, state.SocketMessageId, static_cast<WPARAM>(handle),
                 WSAMAKESELECTREPLY(FD_ACCEPT, 0));
    closed.reset();

    const auto next = CSocket::Create();
    next->Bind(0, "127.0.0.1");
    next->Listen();
    std::vector<std::int32_t> requests;
    next->events.OnConnectionRequest = [&](std::int32_t id) { requests.push_back(id); };
    const bool sameHandle = next->SocketHandle() == handle;
    testing::PumpFor(50);
    next->CloseSocket();
    keeper.listener->CloseSocket();
    if (!sameHandle) GTEST_SKIP() << "the system gave the next socket another handle";
    EXPECT_THAT(requests, ::testing::IsEmpty());
}

TEST_F(SocketTest, ResolutionResultForAGoneObjectIsDropped) {
    auto client = CSocket::Create();
    client->Connect(Variant("localhost"), Variant(1));
    client.reset();  // before the result is handled
    // The result comes when it comes, later on a busy machine: its entry goes then.
    EXPECT_TRUE(testing::PumpUntil([] { return !MSocketSupport::State().ResolveRegistry; }));
}

TEST_F(SocketTest, OnlyTheLatestResolutionOfAnObjectCounts) {
    LoopbackServer server;
    const auto client = CSocket::Create();
    int connects = 0;
    client->events.OnConnect = [&] { ++connects; };
    client->RemotePort(server.Port());
    client->Connect(Variant("localhost"));
    client->Connect(Variant("localhost"));  // replaces the pending request
    ASSERT_TRUE(PumpUntil([&] { return connects == 1; }));
    testing::PumpFor(50);
    EXPECT_EQ(connects, 1);
    client->CloseSocket();
    server.accepted->CloseSocket();
    server.listener->CloseSocket();
}

// Each arrival asks the server for the next part, then waits inside its handler: the next
// arrival is handled inside that wait, five deep.
TEST_F(SocketTest, NestedPumpsInsideHandlers) {
    LoopbackServer server;
    const auto client = CSocket::Create();
    std::string received;
    int depth = 0, deepest = 0, asked = 1;
    client->events.OnDataArrival = [&](std::int32_t) {
        ++depth;
        deepest = std::max(deepest, depth);
        Variant chunk;
        client->GetData(chunk);
        received += chunk.Text();
        if (asked < 5) {
            ++asked;
            server.accepted->SendData(Variant("part"));
            EXPECT_TRUE(client->aWaitResponse(2000));
        }
        --depth;
    };
    client->FConnect(Variant("127.0.0.1"), Variant(server.Port()), true);
    ASSERT_TRUE(server.accepted);
    server.accepted->SendData(Variant("part"));
    ASSERT_TRUE(PumpUntil([&] { return received.size() == 20; }));
    EXPECT_EQ(deepest, 5);
    client->CloseSocket();
    server.accepted->CloseSocket();
    server.listener->CloseSocket();
}

}  // namespace
}  // namespace netpull
