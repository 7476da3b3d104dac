// Helpers for socket tests on loopback: pumping the loop until something happens, and a
// listening socket object that accepts one connection into a server-side object.
#pragma once

// The same on Linux and on Windows; it declares no socket call, so Linux tests that drive
// plain POSIX peers include it beside the system headers.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "netpull/socket/csocket.h"
#include "netpull/socket/socket_loop.h"
#include "netpull/socket/socket_support.h"

namespace netpull::testing {

// The bound of a wait for something that must happen: long enough that only a fault, never a
// busy machine, reaches it.
constexpr int kGenerousMs = 20000;

// Pumps the loop until the condition holds or the time runs out; true when it held.
bool PumpUntil(const std::function<bool()>& condition, int timeoutMs = kGenerousMs);

// Pumps for a while, for checks that something does not happen.
void PumpFor(int milliseconds);

// Sends bytes from the server side of a connection and pumps until the reader has read them
// all, so that they arrive alone: `readSoFar` gives the reader's count of bytes read, or -1
// once the reader is gone or replaced; a closed connection also ends the wait (a reader that
// restarts closes its connection, and the server may accept the next one meanwhile: the side
// is held here).
void SendAndWaitUntilRead(std::shared_ptr<CSocket> side, const std::string& bytes,
                          const std::function<std::int64_t()>& readSoFar);

// True in a Windows program run by Wine, for the few cases where Wine is not Windows.
bool RunningUnderWine();

// The local port of a bound socket, 0 when it has none.
std::int32_t BoundPort(SOCKET handle);

// Sends the queries of names outside the hosts file to a loopback port where nothing answers,
// where the platform lets a program choose (the stand-in does; Windows does not).
void KeepNameQueriesOnLoopback();

// A listener on 127.0.0.1 (or another loopback address, ::1 among them) with a port chosen by
// the system, which accepts connections into server-side objects.
class LoopbackServer {
  public:
    explicit LoopbackServer(const std::string& address = "127.0.0.1")
        : listener(CSocket::Create()) {
        listener->Bind(0, address);
        listener->Listen();
        listener->events.OnConnectionRequest = [this](std::int32_t requestID) {
            accepted = CSocket::Create();
            if (onAccepting) onAccepting(*accepted);
            accepted->Accept(requestID);
        };
    }

    std::int32_t Port() const { return BoundPort(listener->SocketHandle()); }

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
    void SetUp() override { KeepNameQueriesOnLoopback(); }
    // Closes finish in the loop, later on a busy machine: the check waits for them, bounded.
    void TearDown() override {
        const MSocketSupport::ServiceState& state = MSocketSupport::State();
        PumpUntil(
            [&] {
                return !state.SocketRegistry && !state.ResolveRegistry &&
                       state.SocketWindow == nullptr;
            },
            kGenerousMs);
        EXPECT_FALSE(state.SocketRegistry.has_value()) << "a socket is still registered";
        EXPECT_FALSE(state.ResolveRegistry.has_value()) << "a resolution is still registered";
        EXPECT_EQ(state.SocketWindow, nullptr) << "the hidden window is still there";
    }
};

}  // namespace netpull::testing
