// Helpers for socket tests on loopback: pumping the loop until something happens, and a
// listening socket object that accepts one connection into a server-side object.
#pragma once

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "netpull/socket/csocket.h"
#include "netpull/socket/platform/event_loop.h"
#include "netpull/socket/platform/resolver.h"
#include "netpull/socket/platform/winsock.h"
#include "netpull/socket/socket_support.h"

namespace netpull::testing {

// Pumps the loop until the condition holds or the time runs out; true when it held.
inline bool PumpUntil(const std::function<bool()>& condition, int timeoutMs = 5000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        platform::WaitAndPump(10);
    }
    return true;
}

// Pumps for a while, for checks that something does not happen.
inline void PumpFor(int milliseconds) {
    PumpUntil([] { return false; }, milliseconds);
}

// A listener on 127.0.0.1 with a port chosen by the system, which accepts connections into
// server-side objects.
class LoopbackServer {
  public:
    LoopbackServer() : listener(CSocket::Create()) {
        listener->Bind(0, "127.0.0.1");
        listener->Listen();
        listener->events.OnConnectionRequest = [this](std::int32_t requestID) {
            accepted = CSocket::Create();
            if (onAccepting) onAccepting(*accepted);
            accepted->Accept(requestID);
        };
    }

    std::int32_t Port() const {
        sockaddr_in record{};
        socklen_t length = sizeof record;
        getsockname(platform::DescriptorOf(listener->SocketHandle()),
                    reinterpret_cast<sockaddr*>(&record), &length);
        return ntohs(record.sin_port);
    }

    // Gathers everything each accepted connection receives into text.
    void RecordRequests(std::string& text) {
        onAccepting = [&text](CSocket& accepted) {
            accepted.events.OnDataArrival = [&text, &accepted](std::int32_t) {
                Variant chunk;
                accepted.GetData(chunk);
                text += chunk.Text();
            };
        };
    }

    std::shared_ptr<CSocket> listener;
    std::shared_ptr<CSocket> accepted;
    std::function<void(CSocket&)> onAccepting;  // sets up the server side's events
};

// Every test leaves no socket, window or registry behind.
class SocketTest : public ::testing::Test {
  protected:
    // Names outside the hosts file are asked of a loopback port where nothing answers.
    void SetUp() override { platform::UseNameServers("127.0.0.1:9"); }
    void TearDown() override {
        platform::PumpOnce();
        const MSocketSupport::ServiceState& state = MSocketSupport::State();
        EXPECT_FALSE(state.SocketRegistry.has_value()) << "a socket is still registered";
        EXPECT_FALSE(state.ResolveRegistry.has_value()) << "a resolution is still registered";
        EXPECT_EQ(state.SocketWindow, nullptr) << "the hidden window is still there";
    }
};

}  // namespace netpull::testing
