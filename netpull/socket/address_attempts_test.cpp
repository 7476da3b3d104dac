// Names with IPv6 and IPv4 addresses, answered by a name server of the test's on loopback: the
// order and pace of the connection attempts, the one that wins, and what the others leave.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "netpull/socket/platform/event_loop.h"
#include "netpull/socket/platform/resolver.h"
#include "netpull/socket/testing/socket_test_support.h"

namespace netpull {
namespace {

using testing::PumpUntil;

// Answers A and AAAA queries for the names it is given, and "no such name" for the others.
class NameServer {
  public:
    struct Addresses {
        std::vector<std::string> v4, v6;
    };

    explicit NameServer(std::map<std::string, Addresses> names) : names_(std::move(names)) {
        sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
        ::bind(descriptor_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        ::getsockname(descriptor_, reinterpret_cast<sockaddr*>(&address), &length);
        platform::WatchDescriptor(descriptor_, POLLIN, [this](int, short) { Answer(); });
        platform::UseNameServers("127.0.0.1:" + std::to_string(ntohs(address.sin_port)));
    }
    ~NameServer() {
        platform::UnwatchDescriptor(descriptor_);
        ::close(descriptor_);
    }

  private:
    void Answer() {
        unsigned char query[512];
        sockaddr_in from{};
        socklen_t fromLength = sizeof from;
        const ssize_t n = ::recvfrom(descriptor_, query, sizeof query, MSG_DONTWAIT,
                                     reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (n < 17) return;
        std::string name;
        std::size_t at = 12;
        while (at < static_cast<std::size_t>(n) && query[at] != 0) {
            if (!name.empty()) name += '.';
            name.append(reinterpret_cast<const char*>(query + at + 1), query[at]);
            at += 1 + query[at];
        }
        const std::size_t questionEnd = at + 5;
        if (questionEnd > static_cast<std::size_t>(n)) return;
        const int type = query[at + 1] << 8 | query[at + 2];
        std::string reply(reinterpret_cast<const char*>(query), questionEnd);
        reply[2] = static_cast<char>(0x81);  // a response, recursion desired
        reply[3] = static_cast<char>(0x80);  // recursion available, no error
        reply[6] = reply[7] = reply[8] = reply[9] = reply[10] = reply[11] = 0;
        const auto found = names_.find(name);
        if (found == names_.end()) {
            reply[3] = static_cast<char>(0x83);  // no such name
        } else {
            const bool v6 = type == 28;
            int count = 0;
            for (const std::string& text : v6 ? found->second.v6 : found->second.v4) {
                unsigned char bytes[16];
                ::inet_pton(v6 ? AF_INET6 : AF_INET, text.c_str(), bytes);
                const unsigned char record[] = {
                    0xC0, 12, 0, static_cast<unsigned char>(type),       0, 1, 0, 0,
                    0,    60, 0, static_cast<unsigned char>(v6 ? 16 : 4)};
                reply.append(reinterpret_cast<const char*>(record), sizeof record);
                reply.append(reinterpret_cast<const char*>(bytes), v6 ? 16 : 4);
                ++count;
            }
            reply[7] = static_cast<char>(count);
        }
        ::sendto(descriptor_, reply.data(), reply.size(), 0, reinterpret_cast<sockaddr*>(&from),
                 fromLength);
    }

    std::map<std::string, Addresses> names_;
    int descriptor_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
};

// A plain listener on an address and port of either family, which counts what it accepts; with
// a backlog of 0 and one connection waiting, it is an address that never answers.
class Listener {
  public:
    Listener(const std::string& address, int port, bool neverAnswers = false) {
        const bool v6 = address.find(':') != std::string::npos;
        descriptor_ = ::socket(v6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int on = 1;
        if (v6) ::setsockopt(descriptor_, IPPROTO_IPV6, IPV6_V6ONLY, &on, sizeof on);
        sockaddr_storage record{};
        socklen_t length = 0;
        if (v6) {
            auto& r = reinterpret_cast<sockaddr_in6&>(record);
            r.sin6_family = AF_INET6;
            r.sin6_port = htons(static_cast<std::uint16_t>(port));
            ::inet_pton(AF_INET6, address.c_str(), &r.sin6_addr);
            length = sizeof r;
        } else {
            auto& r = reinterpret_cast<sockaddr_in&>(record);
            r.sin_family = AF_INET;
            r.sin_port = htons(static_cast<std::uint16_t>(port));
            ::inet_pton(AF_INET, address.c_str(), &r.sin_addr);
            length = sizeof r;
        }
        bound_ = ::bind(descriptor_, reinterpret_cast<sockaddr*>(&record), length) == 0 &&
                 ::listen(descriptor_, neverAnswers ? 0 : 8) == 0;
        ::getsockname(descriptor_, reinterpret_cast<sockaddr*>(&record), &length);
        port_ = ntohs(reinterpret_cast<sockaddr_in&>(record).sin_port);
        if (bound_ && neverAnswers) {
            // The one connection the queue holds; those after it are never answered.
            filler_ = ::socket(v6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
            bound_ = ::connect(filler_, reinterpret_cast<sockaddr*>(&record), length) == 0;
        }
    }
    ~Listener() {
        if (filler_ >= 0) ::close(filler_);
        ::close(descriptor_);
    }

    bool Bound() const { return bound_; }
    int Port() const { return port_; }
    // Whether a connection is waiting to be accepted.
    bool HasConnection() const {
        pollfd entry{descriptor_, POLLIN, 0};
        return ::poll(&entry, 1, 0) == 1;
    }

  private:
    int descriptor_ = -1;
    int filler_ = -1;
    int port_ = 0;
    bool bound_ = false;
};

class AddressAttemptsTest : public testing::SocketTest {
  protected:
    void TearDown() override {
        platform::UseNameServers("127.0.0.1:9");
        SocketTest::TearDown();
    }

    // Connects to the name and port and pumps until the connection or a failure.
    std::shared_ptr<CSocket> ConnectTo(const std::string& name, int port) {
        auto client = CSocket::Create();
        client->events.OnConnect = [this] { connected = true; };
        client->events.OnError = [this](std::int16_t number, std::string&, std::int32_t,
                                        const std::string&, const std::string&, std::int32_t,
                                        bool&) { error = number; };
        client->Connect(Variant(name), Variant(port));
        EXPECT_TRUE(PumpUntil([&] { return connected || error != 0; }));
        return client;
    }

    // The sockets registered with the socket service, those of the attempts included.
    static std::size_t RegisteredSockets() {
        const auto& registry = MSocketSupport::State().SocketRegistry;
        return registry ? registry->size() : 0;
    }

    bool connected = false;
    int error = 0;
};

TEST_F(AddressAttemptsTest, ANameOfBothFamiliesIsReachedOverIpv6) {
    Listener v6("::1", 0);
    Listener v4("127.0.0.1", v6.Port());
    ASSERT_TRUE(v6.Bound() && v4.Bound()) << "no port free on both loopback addresses";
    NameServer names({{"both.test", {{"127.0.0.1"}, {"::1"}}}});
    const auto client = ConnectTo("both.test", v6.Port());
    ASSERT_TRUE(connected) << "error " << error;
    EXPECT_EQ(client->RemoteHostIP(), "::1");
    EXPECT_EQ(client->LocalIP(), "::1");
    EXPECT_TRUE(v6.HasConnection());
    // The IPv4 socket made before the name was resolved is gone: one socket is left.
    EXPECT_EQ(RegisteredSockets(), 1u);
    client->CloseSocket();
}

TEST_F(AddressAttemptsTest, AnAddressThatNeverAnswersGivesWayToTheNext) {
    Listener silent("127.0.0.2", 0, true);
    Listener answering("127.0.0.3", silent.Port());
    ASSERT_TRUE(silent.Bound() && answering.Bound());
    NameServer names({{"slow.test", {{"127.0.0.2", "127.0.0.3"}, {}}}});
    const auto client = ConnectTo("slow.test", silent.Port());
    ASSERT_TRUE(connected) << "error " << error;
    EXPECT_EQ(client->RemoteHostIP(), "127.0.0.3");
    EXPECT_TRUE(answering.HasConnection());
    // The attempt that was never answered is closed.
    EXPECT_EQ(RegisteredSockets(), 1u);
    client->CloseSocket();
}

TEST_F(AddressAttemptsTest, ARefusedIpv6AddressMovesOnToIpv4) {
    Listener v4("127.0.0.1", 0);  // nothing listens on ::1 at its port: refused
    ASSERT_TRUE(v4.Bound());
    NameServer names({{"both.test", {{"127.0.0.1"}, {"::1"}}}});
    const auto client = ConnectTo("both.test", v4.Port());
    ASSERT_TRUE(connected) << "error " << error;
    EXPECT_EQ(client->RemoteHostIP(), "127.0.0.1");
    EXPECT_EQ(RegisteredSockets(), 1u);
    client->CloseSocket();
}

TEST_F(AddressAttemptsTest, WhenEveryAddressFailsTheLastFailureIsRaisedOnce) {
    const int port = [] {
        Listener probe("127.0.0.1", 0);
        return probe.Port();
    }();
    NameServer names({{"both.test", {{"127.0.0.1", "127.0.0.2"}, {"::1"}}}});
    int errors = 0;
    const auto client = ConnectTo("both.test", port);
    client->events.OnError = [&](std::int16_t, std::string&, std::int32_t, const std::string&,
                                 const std::string&, std::int32_t, bool&) { ++errors; };
    EXPECT_FALSE(connected);
    EXPECT_EQ(error, 10061);
    EXPECT_EQ(client->State(), StateError);
    testing::PumpFor(300);
    EXPECT_EQ(errors, 0) << "another attempt ended after the failure";
    EXPECT_EQ(RegisteredSockets(), 0u);
}

TEST_F(AddressAttemptsTest, ClosingWhileAttemptsRunClosesThemAll) {
    Listener silent("127.0.0.2", 0, true);
    Listener silent4("127.0.0.4", silent.Port(), true);
    Listener silent6("::1", silent.Port(), true);
    ASSERT_TRUE(silent.Bound() && silent4.Bound() && silent6.Bound());
    NameServer names({{"slow.test", {{"127.0.0.2", "127.0.0.4"}, {"::1"}}}});
    const auto client = CSocket::Create();
    client->Connect(Variant("slow.test"), Variant(silent.Port()));
    // Three sockets once the third attempt has started, 250 ms after the second.
    ASSERT_TRUE(PumpUntil([&] { return RegisteredSockets() == 3; }));
    client->CloseSocket();
    EXPECT_EQ(RegisteredSockets(), 0u);
    testing::PumpFor(300);
    EXPECT_EQ(RegisteredSockets(), 0u) << "an attempt started after the close";
}

}  // namespace
}  // namespace netpull
