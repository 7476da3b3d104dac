// Throughput of one stream connection on loopback through SendData and GetData, beside a
// plain blocking send/recv pair moving the same bytes, the two alternating within each
// iteration so that both see the same machine; the ratio is reported as a counter.
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>

#include "netpull/socket/testing/socket_test_support.h"

namespace netpull {
namespace {

constexpr std::size_t kChunk = 256 * 1024;
constexpr std::size_t kTotal = 64 * 1024 * 1024;
using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// A connected pair of socket objects, the receiver taking everything with GetData.
class LayerPair {
  public:
    LayerPair() : client_(CSocket::Create()) {
        client_->FConnect(Variant("127.0.0.1"), Variant(server_.Port()), true);
        peer_ = server_.accepted;
        peer_->events.OnDataArrival = [this](std::int32_t) {
            Variant chunk;
            peer_->GetData(chunk);
            received_ += chunk.Get<std::string>()->size();
        };
        client_->events.OnSendComplete = [this] { sent_ = true; };
    }
    ~LayerPair() {
        client_->CloseSocket();
        peer_->CloseSocket();
        server_.listener->CloseSocket();
    }
    // One chunk in flight at a time, as in the plain pair.
    Clock::duration Move(const Variant& chunk) {
        const auto start = Clock::now();
        received_ = 0;
        for (std::size_t total = kChunk; total <= kTotal; total += kChunk) {
            sent_ = false;
            client_->SendData(chunk);
            testing::PumpUntil([&] { return sent_ && received_ >= total; });
        }
        return Clock::now() - start;
    }

  private:
    testing::LoopbackServer server_;
    std::shared_ptr<CSocket> client_;
    std::shared_ptr<CSocket> peer_;
    std::size_t received_ = 0;
    bool sent_ = false;
};

// The same bytes through plain blocking calls on one thread, as the socket layer runs on one
// thread: each chunk is sent, then received whole, reading the socket's receive buffer size
// at a time as the socket object does.
class PlainPair {
  public:
    PlainPair() {
        const int listening = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(listening, reinterpret_cast<sockaddr*>(&address), length);
        ::listen(listening, 1);
        ::getsockname(listening, reinterpret_cast<sockaddr*>(&address), &length);
        sender_ = ::socket(AF_INET, SOCK_STREAM, 0);
        ::connect(sender_, reinterpret_cast<sockaddr*>(&address), length);
        receiver_ = ::accept(listening, nullptr, nullptr);
        ::close(listening);
        int size = 0;
        socklen_t sizeLength = sizeof size;
        ::getsockopt(receiver_, SOL_SOCKET, SO_RCVBUF, &size, &sizeLength);
        read_ = static_cast<std::size_t>(size);
        block_.resize(kChunk);
    }
    ~PlainPair() {
        ::close(sender_);
        ::close(receiver_);
    }
    Clock::duration Move(const std::string& chunk) {
        const auto start = Clock::now();
        for (std::size_t total = 0; total < kTotal; total += kChunk) {
            for (std::size_t sent = 0; sent < kChunk;)
                sent += static_cast<std::size_t>(
                    ::send(sender_, chunk.data() + sent, kChunk - sent, 0));
            for (std::size_t got = 0; got < kChunk;)
                got += static_cast<std::size_t>(
                    ::recv(receiver_, block_.data(), std::min(read_, kChunk - got), 0));
        }
        return Clock::now() - start;
    }

  private:
    int sender_ = -1;
    int receiver_ = -1;
    std::size_t read_ = 0;
    std::string block_;
};

void BM_Throughput(benchmark::State& state) {
    LayerPair layer;
    PlainPair plain;
    const std::string bytes(kChunk, 'n');
    const Variant chunk(bytes);
    double layerSeconds = 0, plainSeconds = 0;
    for (auto _ : state) {
        layerSeconds += Seconds(layer.Move(chunk));
        plainSeconds += Seconds(plain.Move(bytes));
    }
    const double moved = static_cast<double>(state.iterations()) * kTotal / 1e6;
    state.counters["layer_MBps"] = moved / layerSeconds;
    state.counters["plain_MBps"] = moved / plainSeconds;
    state.counters["ratio"] = plainSeconds / layerSeconds;
}
BENCHMARK(BM_Throughput)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace
}  // namespace netpull

BENCHMARK_MAIN();
