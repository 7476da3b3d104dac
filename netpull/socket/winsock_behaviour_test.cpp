// What the socket layer relies on in Windows Sockets, checked on the platform it runs over
// (the real one on Windows, the stand-in on Linux): when network events are posted, which
// connect failures are immediate, what a datagram read reports.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "netpull/socket/testing/socket_test_support.h"
#include "netpull/socket/windows_sockets.h"

namespace netpull {
namespace {

using testing::PumpFor;
using testing::PumpUntil;

struct Event {
    SOCKET socket;
    long event;
    int error;
};

class WinsockTest : public testing::SocketTest {
  protected:
    static LRESULT CALLBACK Record(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == kMessage)
            events.push_back({static_cast<SOCKET>(wParam),
                              static_cast<long>(WSAGETSELECTEVENT(lParam)),
                              WSAGETSELECTERROR(lParam)});
        return 0;
    }
    void SetUp() override {
        SocketTest::SetUp();
        WSADATA data{};
        ASSERT_EQ(WSAStartup(0x0101, &data), 0);
        window =
            CreateWindowExA(0, "STATIC", "TEST", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Record));
        events.clear();
    }
    void TearDown() override {
        for (const SOCKET s : sockets) closesocket(s);
        DestroyWindow(window);
        WSACleanup();
        SocketTest::TearDown();
    }
    SOCKET Open(int type) {
        const SOCKET s = socket(AF_INET, type, 0);
        EXPECT_NE(s, INVALID_SOCKET);
        sockets.push_back(s);
        return s;
    }
    static sockaddr_in Loopback(int port = 0) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return address;
    }
    static const sockaddr* At(const sockaddr_in& address) {
        return reinterpret_cast<const sockaddr*>(&address);
    }
    // A bound socket's address.
    static sockaddr_in Bound(SOCKET s) {
        sockaddr_in address = Loopback();
        EXPECT_EQ(bind(s, At(address), sizeof address), 0);
        int length = sizeof address;
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
        return address;
    }
    static int Count(SOCKET s, long event) {
        int n = 0;
        for (const Event& e : events) n += e.socket == s && e.event == event;
        return n;
    }
    // A listener, a client connected to it with the given notifications, and the accepted end.
    void ConnectPair(long clientEvents, SOCKET& client, SOCKET& accepted) {
        const SOCKET listener = Open(SOCK_STREAM);
        const sockaddr_in address = Bound(listener);
        ASSERT_EQ(listen(listener, 1), 0);
        client = Open(SOCK_STREAM);
        ASSERT_EQ(WSAAsyncSelect(client, window, kMessage, clientEvents), 0);
        ASSERT_EQ(connect(client, At(address), sizeof address), SOCKET_ERROR);
        ASSERT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
        ASSERT_TRUE(PumpUntil([&] { return Count(client, FD_CONNECT) == 1; }));
        accepted = INVALID_SOCKET;
        ASSERT_TRUE(PumpUntil([&] {
            accepted = accept(listener, nullptr, nullptr);
            return accepted != INVALID_SOCKET;
        }));
        sockets.push_back(accepted);
        // Non-blocking, as every socket with notifications is.
        ASSERT_EQ(WSAAsyncSelect(accepted, window, kMessage, FD_READ), 0);
    }

    static constexpr UINT kMessage = 0x8001;
    static inline std::vector<Event> events;
    HWND window = nullptr;
    std::vector<SOCKET> sockets;
};

TEST_F(WinsockTest, WriteIsPostedAgainOnlyAfterASendThatWouldBlock) {
    SOCKET client = INVALID_SOCKET;
    SOCKET accepted = INVALID_SOCKET;
    ConnectPair(FD_CONNECT | FD_WRITE, client, accepted);
    ASSERT_TRUE(PumpUntil([&] { return Count(client, FD_WRITE) == 1; }));
    // Sends that the system takes whole, or in part, post nothing.
    const std::string block(64 << 10, 'w');
    ASSERT_EQ(send(client, block.data(), static_cast<int>(block.size()), 0),
              static_cast<int>(block.size()));
    PumpFor(100);
    EXPECT_EQ(Count(client, FD_WRITE), 1);
    // Once a send would block, the write notification comes when there is room again.
    int sent = 0;
    int sends = 0;
    for (; sent != SOCKET_ERROR && sends < 20000; ++sends)
        sent = send(client, block.data(), static_cast<int>(block.size()), 0);
    ASSERT_EQ(sent, SOCKET_ERROR) << "no send would block after " << sends << " sends";
    ASSERT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
    std::vector<char> sink(1 << 20);
    ASSERT_TRUE(PumpUntil([&] {
        while (recv(accepted, sink.data(), static_cast<int>(sink.size()), 0) > 0) {
        }
        return Count(client, FD_WRITE) == 2;
    }));
}

TEST_F(WinsockTest, AnAcceptedSocketHasTheListenersNotifications) {
    const SOCKET listener = Open(SOCK_STREAM);
    const sockaddr_in address = Bound(listener);
    ASSERT_EQ(listen(listener, 1), 0);
    ASSERT_EQ(WSAAsyncSelect(listener, window, kMessage, FD_ACCEPT | FD_READ), 0);
    const SOCKET client = Open(SOCK_STREAM);
    connect(client, At(address), sizeof address);
    ASSERT_TRUE(PumpUntil([&] { return Count(listener, FD_ACCEPT) == 1; }));
    const SOCKET accepted = accept(listener, nullptr, nullptr);
    ASSERT_NE(accepted, INVALID_SOCKET);
    sockets.push_back(accepted);
    ASSERT_TRUE(PumpUntil([&] { return send(client, "hi", 2, 0) == 2; }));
    EXPECT_TRUE(PumpUntil([&] { return Count(accepted, FD_READ) == 1; }));
}

TEST_F(WinsockTest, ConnectingToNoAddressFailsAtOnce) {
    const SOCKET s = Open(SOCK_STREAM);
    sockaddr_in any = Loopback(9);
    any.sin_addr.s_addr = INADDR_ANY;
    EXPECT_EQ(connect(s, At(any), sizeof any), SOCKET_ERROR);
    // Windows: no address; Wine passes on the refusal of Linux, which connects to itself.
    EXPECT_THAT(WSAGetLastError(), ::testing::AnyOf(WSAEADDRNOTAVAIL, WSAECONNREFUSED));
}

TEST_F(WinsockTest, AnIcmpErrorIsOneReadThatFailsWithReset) {
    if (testing::RunningUnderWine())
        GTEST_SKIP() << "Wine reports no ICMP error on a datagram socket; Windows does";
    const SOCKET closed = Open(SOCK_DGRAM);
    const sockaddr_in nobody = Bound(closed);
    closesocket(closed);
    sockets.clear();
    const SOCKET s = Open(SOCK_DGRAM);
    ASSERT_EQ(connect(s, At(nobody), sizeof nobody), 0);
    WSAAsyncSelect(s, window, kMessage, FD_READ);
    ASSERT_EQ(send(s, "x", 1, 0), 1);
    ASSERT_TRUE(PumpUntil([&] { return !events.empty(); }));
    EXPECT_EQ(Count(s, FD_READ), 1);
    char buffer[16];
    EXPECT_EQ(recv(s, buffer, sizeof buffer, 0), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAECONNRESET);
    // Nothing more to report.
    PumpFor(200);
    EXPECT_EQ(events.size(), 1u);
}

TEST_F(WinsockTest, ADatagramLongerThanTheBufferIsMessageTooLong) {
    const SOCKET s = Open(SOCK_DGRAM);
    const sockaddr_in address = Bound(s);
    const SOCKET sender = Open(SOCK_DGRAM);
    const std::string datagram(2000, 'd');
    sendto(sender, datagram.data(), static_cast<int>(datagram.size()), 0, At(address),
           sizeof address);
    WSAAsyncSelect(s, window, kMessage, FD_READ);
    ASSERT_TRUE(PumpUntil([&] { return !events.empty(); }));
    char buffer[1000];
    EXPECT_EQ(recvfrom(s, buffer, sizeof buffer, 0, nullptr, nullptr), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEMSGSIZE);
    EXPECT_EQ(buffer[999], 'd');
}

}  // namespace
}  // namespace netpull
