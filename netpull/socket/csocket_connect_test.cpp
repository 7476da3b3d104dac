// Connecting, listening and accepting on loopback, failures with their numbers and sources,
// and the socket service's window and registries.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "netpull/socket/testing/socket_test_support.h"

namespace netpull {
namespace {

using testing::LoopbackServer;
using testing::PumpUntil;
using testing::SocketTest;

// A port on which nothing listens: bound, then closed.
std::int32_t ClosedPort() {
    LoopbackServer server;
    const std::int32_t port = server.Port();
    server.listener->CloseSocket();
    return port;
}

struct ErrorSeen {
    int number = 0;
    std::string description;
    std::string source;
    int count = 0;
};

void RecordErrors(CSocket& socket, ErrorSeen& seen) {
    socket.events.OnError = [&seen](std::int16_t number, std::string& description, std::int32_t,
                                    const std::string& source, const std::string&, std::int32_t,
                                    bool&) {
        seen = {number, description, source, seen.count + 1};
    };
}

class ConnectTest : public SocketTest {};

TEST_F(ConnectTest, ToADottedAddress) {
    LoopbackServer server;
    const auto client = CSocket::Create();
    int connects = 0;
    client->events.OnConnect = [&] { ++connects; };
    client->Connect(Variant("127.0.0.1"), Variant(server.Port()));
    EXPECT_EQ(client->State(), StateConnecting);
    ASSERT_TRUE(PumpUntil([&] { return connects == 1 && server.accepted != nullptr; }));
    EXPECT_EQ(client->State(), StateConnected);
    EXPECT_EQ(client->LocalIP(), "127.0.0.1");
    EXPECT_GT(client->LocalPort(), 0);
    EXPECT_EQ(server.accepted->State(), StateConnected);
    EXPECT_EQ(server.accepted->RemotePort(), client->LocalPort());
    EXPECT_EQ(server.accepted->RemoteHostIP(), "127.0.0.1");
    EXPECT_EQ(server.listener->State(), StateListening);
    client->CloseSocket();
    server.accepted->CloseSocket();
    server.listener->CloseSocket();
    EXPECT_EQ(connects, 1);
}

// Both ends give their IPv6 addresses in text form.
TEST_F(ConnectTest, ToAnIpv6Address) {
    LoopbackServer server("::1");
    ASSERT_GT(server.Port(), 0);
    EXPECT_EQ(server.listener->LocalIP(), "::1");
    const auto client = CSocket::Create();
    int connects = 0;
    client->events.OnConnect = [&] { ++connects; };
    client->Connect(Variant("::1"), Variant(server.Port()));
    ASSERT_TRUE(PumpUntil([&] { return connects == 1 && server.accepted != nullptr; }));
    EXPECT_EQ(client->RemoteHostIP(), "::1");
    EXPECT_EQ(client->LocalIP(), "::1");
    EXPECT_EQ(server.accepted->RemoteHostIP(), "::1");
    EXPECT_EQ(server.accepted->RemotePort(), client->LocalPort());
    client->SendData(Variant("over IPv6"));
    std::string received;
    server.accepted->events.OnDataArrival = [&](std::int32_t) {
        Variant chunk;
        server.accepted->GetData(chunk);
        received += chunk.Text();
    };
    ASSERT_TRUE(PumpUntil([&] { return received == "over IPv6"; }));
    client->CloseSocket();
    server.accepted->CloseSocket();
    server.listener->CloseSocket();
}

// An IPv6 address refused at its port fails as an IPv4 one does.
TEST_F(ConnectTest, ARefusedIpv6AddressRaisesOnError) {
    const std::int32_t port = [] {
        LoopbackServer server("::1");
        const std::int32_t bound = server.Port();
        server.listener->CloseSocket();
        return bound;
    }();
    const auto client = CSocket::Create();
    ErrorSeen seen;
    RecordErrors(*client, seen);
    client->Connect(Variant("::1"), Variant(port));
    ASSERT_TRUE(PumpUntil([&] { return seen.count == 1; }));
    EXPECT_EQ(seen.number, 10061);
    EXPECT_EQ(client->State(), StateError);
}

TEST_F(ConnectTest, ToLocalhostByName) {
    LoopbackServer server;
    const auto client = CSocket::Create();
    bool connected = false;
    client->events.OnConnect = [&] { connected = true; };
    client->RemotePort(server.Port());
    client->Connect(Variant("localhost"));
    EXPECT_EQ(client->State(), StateResolvingHost);
    EXPECT_TRUE(MSocketSupport::State().ResolveRegistry.has_value());
    ASSERT_TRUE(PumpUntil([&] { return connected; }));
    EXPECT_EQ(client->RemoteHost(), "localhost");
    EXPECT_EQ(client->RemoteHostIP(), "127.0.0.1");
    EXPECT_FALSE(MSocketSupport::State().ResolveRegistry.has_value());
    client->CloseSocket();
    server.accepted->CloseSocket();
    server.listener->CloseSocket();
}

TEST_F(ConnectTest, RefusedConnectionRaisesOnError) {
    const std::int32_t port = ClosedPort();
    const auto client = CSocket::Create();
    ErrorSeen seen;
    RecordErrors(*client, seen);
    client->Connect(Variant("127.0.0.1"), Variant(port));
    ASSERT_TRUE(PumpUntil([&] { return seen.count > 0; }));
    EXPECT_EQ(seen.number, 10061);
    EXPECT_EQ(seen.description, "Connection refused.");
    EXPECT_EQ(seen.source, "");
    EXPECT_EQ(client->State(), StateError);
    EXPECT_EQ(client->SocketHandle(), INVALID_SOCKET);
    testing::PumpFor(50);
    EXPECT_EQ(seen.count, 1);
}

TEST_F(ConnectTest, UnknownHostFailsWithHostNotFound) {
    const auto client = CSocket::Create();
    ErrorSeen seen;
    RecordErrors(*client, seen);
    client->Connect(Variant("no-such-host.invalid"), Variant(80));
    ASSERT_TRUE(PumpUntil([&] { return seen.count > 0; }, 20000));
    EXPECT_EQ(seen.number, 11001);
    EXPECT_EQ(client->State(), StateError);
    client->CloseSocket();
}

TEST_F(ConnectTest, SynchronousFailuresCarryNumberAndSource) {
    const auto client = CSocket::Create();
    try {
        client->Connect();
        FAIL() << "connected without a host";
    } catch (const SocketError& e) {
        EXPECT_EQ(e.Number(), 10049);
        EXPECT_EQ(e.Description(), "Cannot assign requested address.");
        EXPECT_EQ(e.Source(), "CSocket.CSocket.Connect");
    }
    try {
        client->Bind(0, "not an address");
        FAIL() << "bound to a bad address";
    } catch (const SocketError& e) {
        EXPECT_EQ(e.Number(), 10049);
        EXPECT_EQ(e.Source(), "CSocket.Bind");
    }
    // A port out of range fails with the overflow error.
    client->RemotePort(70000);
    EXPECT_THROW(client->Connect(Variant("127.0.0.1")), SocketError);
    client->CloseSocket();
}

TEST_F(ConnectTest, ListenOnAFreshObjectAndProtocolChanges) {
    const auto listener = CSocket::Create();
    listener->Listen();
    EXPECT_EQ(listener->State(), StateListening);
    EXPECT_EQ(listener->LocalPort(), 0);
    listener->Protocol(ProtocolUdp);  // a socket exists: ignored
    EXPECT_EQ(listener->Protocol(), ProtocolTcp);
    listener->CloseSocket();
    EXPECT_EQ(listener->State(), StateClosed);
    listener->Protocol(ProtocolUdp);
    EXPECT_EQ(listener->Protocol(), ProtocolUdp);
}

TEST_F(ConnectTest, OneServiceStartAndWindowPerRegistration) {
    const auto first = CSocket::Create();
    const auto second = CSocket::Create();
    EXPECT_TRUE(MSocketSupport::State().ServiceStarted);
    EXPECT_EQ(MSocketSupport::State().MaxDatagramSize, 65467);
    first->Listen();
    const HWND window = MSocketSupport::State().SocketWindow;
    EXPECT_NE(window, nullptr);
    EXPECT_EQ(MSocketSupport::State().SocketRegistry->count(
                  MSocketSupport::SocketKey(first->SocketHandle())),
              1u);
    // Other messages reach the previous procedure of the window.
    EXPECT_EQ(MSocketSupport::SocketWindowProc(window, 0x400, 1, 2), 0);
    // A notification for a socket that is not registered is dropped.
    EXPECT_EQ(
        MSocketSupport::SocketWindowProc(window, MSocketSupport::State().SocketMessageId, 99999, 1),
        0);
    first->CloseSocket();
    EXPECT_EQ(MSocketSupport::State().SocketWindow, nullptr);
    EXPECT_FALSE(IsWindow(window));
    second->Listen();
    EXPECT_NE(MSocketSupport::State().SocketWindow, nullptr);
    second->CloseSocket();
}

}  // namespace
}  // namespace netpull
