// Sending and receiving on loopback: progress and completion, GetData and PeekData, close
// with data queued, datagrams and broadcast permission, and the blocking operations.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>

#include "netpull/socket/testing/socket_test_support.h"
#include "netpull/socket/windows_sockets.h"

namespace netpull {
namespace {

using ::testing::ElementsAre;
using testing::LoopbackServer;
using testing::PumpUntil;
using testing::SocketTest;

// A connected client and server-side object over loopback.
class ConnectedPair : public SocketTest {
  protected:
    void SetUp() override {
        SocketTest::SetUp();
        client = CSocket::Create();
        bool connected = false;
        client->events.OnConnect = [&] { connected = true; };
        client->Connect(Variant("127.0.0.1"), Variant(server.Port()));
        ASSERT_TRUE(PumpUntil([&] { return connected && server.accepted; }));
        peer = server.accepted;
        server.listener->CloseSocket();
    }
    void TearDown() override {
        if (client) client->CloseSocket();
        if (peer) peer->CloseSocket();
        SocketTest::TearDown();
    }
    // Receives on the peer until it holds at least the given number of bytes.
    std::string ReceiveOnPeer(std::size_t bytes) {
        std::string all;
        peer->events.OnDataArrival = [&](std::int32_t) {
            Variant chunk;
            peer->GetData(chunk);
            all += chunk.Text();
        };
        EXPECT_TRUE(PumpUntil([&] { return all.size() >= bytes; }));
        return all;
    }

    LoopbackServer server;
    std::shared_ptr<CSocket> client;
    std::shared_ptr<CSocket> peer;
};

TEST_F(ConnectedPair, SendsTextWithProgressThenOneCompletion) {
    std::vector<std::pair<int, int>> progress;
    int completions = 0;
    client->events.OnSendProgress = [&](std::int32_t sent, std::int32_t remaining) {
        progress.emplace_back(sent, remaining);
    };
    client->events.OnSendComplete = [&] { ++completions; };
    client->SendData(Variant("abc"));
    EXPECT_EQ(ReceiveOnPeer(3), "abc");
    ASSERT_TRUE(PumpUntil([&] { return completions > 0; }));
    EXPECT_THAT(progress, ElementsAre(std::pair{3, 0}));
    testing::PumpFor(30);
    EXPECT_EQ(completions, 1);
}

TEST_F(ConnectedPair, SendsValueKindsByTheirImages) {
    client->SendData(Variant(std::int32_t{1}));
    EXPECT_EQ(ReceiveOnPeer(4), std::string("\x01\x00\x00\x00", 4));
}

TEST_F(ConnectedPair, LargeSendsGoOutInPartsWithExactlyOneCompletion) {
    const std::string payload(8 << 20, 'x');
    std::int64_t sent = 0;
    int lastRemaining = -1, completions = 0, progressEvents = 0;
    client->events.OnSendProgress = [&](std::int32_t n, std::int32_t remaining) {
        sent += n;
        lastRemaining = remaining;
        ++progressEvents;
    };
    client->events.OnSendComplete = [&] { ++completions; };
    client->SendData(Variant(payload));
    EXPECT_EQ(ReceiveOnPeer(payload.size()).size(), payload.size());
    ASSERT_TRUE(PumpUntil([&] { return completions > 0; }));
    EXPECT_GT(progressEvents, 1);
    EXPECT_EQ(sent, static_cast<std::int64_t>(payload.size()));
    EXPECT_EQ(lastRemaining, 0);
    testing::PumpFor(30);
    EXPECT_EQ(completions, 1);
}

// Long reads land straight in the buffer that GetData hands out; reads that find bytes still
// waiting there are appended to them. Either way every byte arrives once, in order.
TEST_F(ConnectedPair, ALongStreamArrivesByteForByteHoweverTheReceiverTakesIt) {
    std::string payload(8 << 20, '\0');
    for (std::size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<char>((i * 2654435761u) >> 13);
    std::string all;
    int arrivals = 0;
    peer->events.OnDataArrival = [&](std::int32_t) {
        Variant chunk;
        switch (++arrivals % 3) {
            case 0:  // left to gather with the next arrival
                return;
            case 1:
                peer->GetData(chunk, vbString, 1000);
                break;
            default:
                peer->GetData(chunk);
        }
        all += chunk.Text();
    };
    client->SendData(Variant(payload));
    int seen = 0;
    ASSERT_TRUE(PumpUntil([&] {
        // Once nothing more arrives, what was left to gather is taken.
        if (arrivals == seen) {
            Variant rest;
            peer->GetData(rest);
            all += rest.Text();
        }
        seen = arrivals;
        return all.size() >= payload.size();
    }));
    EXPECT_GT(arrivals, 8);
    ASSERT_EQ(all.size(), payload.size());
    EXPECT_TRUE(all == payload);
}

TEST_F(ConnectedPair, GetDataAndPeekDataWithMaxLenAndKinds) {
    std::int32_t arrived = 0;
    peer->events.OnDataArrival = [&](std::int32_t total) { arrived = total; };
    client->SendData(Variant("Hello world!"));
    ASSERT_TRUE(PumpUntil([&] { return arrived == 12; }));
    Variant data;
    peer->PeekData(data, {}, 5);
    EXPECT_EQ(data, Variant("Hello"));
    EXPECT_EQ(peer->BytesReceived(), 12);
    peer->GetData(data, {}, 5);
    EXPECT_EQ(data, Variant("Hello"));
    EXPECT_EQ(peer->BytesReceived(), 7);
    peer->GetData(data, vbLong, 20);  // more than there is: the whole rest, read as a number
    EXPECT_EQ(data.Type(), vbLong);
    EXPECT_EQ(peer->BytesReceived(), 0);
    peer->GetData(data);
    EXPECT_EQ(data, Variant(std::string()));
}

TEST_F(ConnectedPair, BlockingOperations) {
    // No data: the wait ends false after its time.
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(client->aWaitResponse(300));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
    // Data arriving ends the wait with true, and the line reads take it.
    peer->SendData(Variant("first line\r\nsecond"));
    EXPECT_TRUE(client->aWaitResponse(5000));
    EXPECT_FALSE(client->Eof());
    EXPECT_EQ(client->FPeekLine(false), Variant("first line"));
    EXPECT_EQ(client->FGetLine(false), Variant("first line"));
    EXPECT_EQ(client->FGetData(false), Variant("second"));
    EXPECT_TRUE(client->Eof());
    // Bytes taken by the blocking reads are not handed to GetData as well.
    Variant rest;
    client->GetData(rest);
    EXPECT_EQ(rest, Variant(std::string()));
    peer->SendData(Variant("later"));
    EXPECT_EQ(client->FGetData(true), Variant("later"));
}

TEST_F(ConnectedPair, FSendDataWaitsForTheAnswer) {
    peer->events.OnDataArrival = [&](std::int32_t) {
        Variant question;
        peer->GetData(question);
        peer->SendData(Variant("re:" + question.Text()));
    };
    client->FSendData(Variant("ping"), true);
    EXPECT_EQ(client->FGetData(false), Variant("re:ping"));
}

TEST_F(SocketTest, FConnectWaitsForTheConnection) {
    LoopbackServer server;
    const auto client = CSocket::Create();
    client->FConnect(Variant("127.0.0.1"), Variant(server.Port()), true);
    EXPECT_EQ(client->State(), StateConnected);
    client->CloseSocket();
    if (server.accepted) server.accepted->CloseSocket();
    server.listener->CloseSocket();
}

TEST_F(SocketTest, SendDataWithoutAStreamSocketIsRefused) {
    const auto client = CSocket::Create();
    try {
        client->SendData(Variant("x"));
        FAIL() << "sent without a socket";
    } catch (const SocketError& e) {
        EXPECT_EQ(e.Number(), 40006);
        EXPECT_EQ(e.Description(),
                  "Wrong protocol or connection state for the requested transaction or request.");
        EXPECT_EQ(e.Source(), "CSocket.SendData");
    }
}

// A datagram object bound to a loopback port, keeping the last datagram it received.
struct DatagramReceiver {
    DatagramReceiver() {
        socket->Protocol(ProtocolUdp);
        socket->Bind(0, "127.0.0.1");
        socket->events.OnDataArrival = [this](std::int32_t) { socket->GetData(got); };
    }
    ~DatagramReceiver() { socket->CloseSocket(); }
    std::int32_t Port() const { return testing::BoundPort(socket->SocketHandle()); }
    std::shared_ptr<CSocket> socket = CSocket::Create();
    Variant got;
};

TEST_F(SocketTest, DatagramsTravelAndReportTheirSender) {
    DatagramReceiver receiver;

    const auto sender = CSocket::Create();
    sender->Protocol(ProtocolUdp);
    sender->RemoteHost("127.0.0.1");
    sender->RemotePort(receiver.Port());
    int completions = 0;
    sender->events.OnSendComplete = [&] { ++completions; };
    sender->SendData(Variant("datagram"));
    ASSERT_TRUE(PumpUntil([&] { return receiver.got.Text() == "datagram" && completions == 1; }));
    EXPECT_EQ(receiver.socket->RemoteHostIP(), "127.0.0.1");
    EXPECT_EQ(receiver.socket->RemoteHost(), "localhost");
    sender->CloseSocket();
}

TEST_F(SocketTest, ADatagramToANameWaitsForTheResolution) {
    DatagramReceiver receiver;

    const auto sender = CSocket::Create();
    sender->Protocol(ProtocolUdp);
    sender->RemoteHost("localhost");
    sender->RemotePort(receiver.Port());
    std::vector<std::pair<int, int>> progress;
    sender->events.OnSendProgress = [&](std::int32_t sent, std::int32_t remaining) {
        progress.emplace_back(sent, remaining);
    };
    sender->SendData(Variant("resolved first"));
    ASSERT_TRUE(PumpUntil([&] { return receiver.got.Text() == "resolved first"; }));
    EXPECT_THAT(progress, ElementsAre(std::pair{0, 14}, std::pair{14, 0}));
    EXPECT_EQ(sender->RemoteHostIP(), "127.0.0.1");
    sender->CloseSocket();
}

TEST_F(SocketTest, BroadcastPermissionFollowsTheRemoteAddress) {
    const auto socket = CSocket::Create();
    socket->Protocol(ProtocolUdp);
    const auto broadcastOn = [&] {
        int value = 0;
        int length = sizeof value;
        getsockopt(socket->SocketHandle(), SOL_SOCKET, SO_BROADCAST,
                   reinterpret_cast<char*>(&value), &length);
        return value != 0;
    };
    // Only the option is set: nothing is ever sent to these addresses.
    socket->RemoteHost("192.168.1.255");
    EXPECT_TRUE(broadcastOn());
    EXPECT_EQ(socket->RemoteHostIP(), "192.168.1.255");
    socket->RemoteHost("192.168.1.7");
    EXPECT_FALSE(broadcastOn());
    socket->RemoteHost("some.name");
    EXPECT_EQ(socket->RemoteHostIP(), "192.168.1.7");
    socket->CloseSocket();
}

}  // namespace
}  // namespace netpull
