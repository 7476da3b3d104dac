// Throughput of one stream connection on loopback through SendData and GetData, beside a
// plain blocking send/recv pair moving the same bytes in the same run.
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>


#include "netpull/socket/socket_test_support.h"

namespace netpull {
namespace {

constexpr std::size_t kChunk = 256 * 1024;
constexpr std::size_t kTotal = 64 * 1024 * 1024;
// The socket object reads its socket's receive buffer size at a time; the plain pair reads as
// much, so the two differ only by what the layer adds.
std::size_t ReceiveBufferSize(int descriptor) {
    int size = 0;
    socklen_t length = sizeof size;
    ::getsockopt(descriptor, SOL_SOCKET, SO_RCVBUF, &size, &length);
    return static_cast<std::size_t>(size);
}

void BM_SendDataGetData(benchmark::State& state) {
    testing::LoopbackServer server;
    const auto client = CSocket::Create();
    client->FConnect(Variant("127.0.0.1"), Variant(server.Port()), true);
    const std::shared_ptr<CSocket> peer = server.accepted;
    std::size_t received = 0;
    peer->events.OnDataArrival = [&](std::int32_t) {
        Variant chunk;
        peer->GetData(chunk);
        received += chunk.Get<std::string>()->size();
    };
    bool sent = false;
    client->events.OnSendComplete = [&] { sent = true; };
    const Variant chunk(std::string(kChunk, 'n'));
    for (auto _ : state) {
        received = 0;
        // One chunk in flight at a time, as in the plain pair below.
        for (std::size_t total = kChunk; total <= kTotal; total += kChunk) {
            sent = false;
            client->SendData(chunk);
            testing::PumpUntil([&] { return sent && received >= total; });
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kTotal));
    client->CloseSocket();
    peer->CloseSocket();
    server.listener->CloseSocket();
}

// The same bytes through plain blocking calls on one thread, as the socket layer runs on
// one thread: each chunk is sent, then received whole.
void BM_BlockingSendRecv(benchmark::State& state) {
    const int listening = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(listening, reinterpret_cast<sockaddr*>(&address), length);
    ::listen(listening, 1);
    ::getsockname(listening, reinterpret_cast<sockaddr*>(&address), &length);
    const int sender = ::socket(AF_INET, SOCK_STREAM, 0);
    ::connect(sender, reinterpret_cast<sockaddr*>(&address), length);
    const int receiver = ::accept(listening, nullptr, nullptr);
    const std::size_t read = ReceiveBufferSize(receiver);
    state.counters["read_size"] = static_cast<double>(read);
    const std::string chunk(kChunk, 'n');
    std::string block(kChunk, '\0');
    for (auto _ : state) {
        for (std::size_t total = 0; total < kTotal; total += kChunk) {
            for (std::size_t sent = 0; sent < kChunk;)
                sent += static_cast<std::size_t>(::send(sender, chunk.data() + sent, kChunk - sent, 0));
            for (std::size_t got = 0; got < kChunk;)
                got += static_cast<std::size_t>(::recv(receiver, block.data(), std::min(read, kChunk - got), 0));
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kTotal));
    ::close(sender);
    ::close(receiver);
    ::close(listening);
}

BENCHMARK(BM_SendDataGetData)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BlockingSendRecv)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace netpull

BENCHMARK_MAIN();
