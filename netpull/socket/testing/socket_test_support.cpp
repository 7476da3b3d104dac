// The helpers of the socket tests that call Windows Sockets.
#include "netpull/socket/testing/socket_test_support.h"

#include <chrono>
#include <cstring>

#include "netpull/socket/windows_sockets.h"

#ifndef _WIN32
#include "netpull/socket/platform/event_loop.h"
#include "netpull/socket/platform/resolver.h"
#endif

namespace netpull::testing {
namespace {

// Waits until there is work or the time is up, then pumps once. The stand-in's loop pumps what
// its wait found ready without polling again.
void WaitAndPump(DWORD milliseconds) {
#ifdef _WIN32
    MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds, QS_ALLINPUT);
    loop::PumpOnce();
#else
    platform::WaitAndPump(static_cast<int>(milliseconds));
#endif
}

}  // namespace

bool PumpUntil(const std::function<bool()>& condition, int timeoutMs) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        WaitAndPump(10);
    }
    return true;
}

void PumpFor(int milliseconds) {
    PumpUntil([] { return false; }, milliseconds);
}

void SendAndWaitUntilRead(std::shared_ptr<CSocket> side, const std::string& bytes,
                          const std::function<std::int64_t()>& readSoFar) {
    const std::int64_t before = readSoFar();
    const std::int64_t wanted = before + static_cast<std::int64_t>(bytes.size());
    side->SendData(Variant(bytes));
    EXPECT_TRUE(PumpUntil([&] {
        const std::int64_t read = readSoFar();
        return read < before || read >= wanted || side->State() != StateConnected;
    })) << "the reader never read "
        << bytes.size() << " bytes";
}

// The port is at the same place in the records of both families.
std::int32_t BoundPort(SOCKET handle) {
    sockaddr_storage record{};
    int length = sizeof record;
    if (getsockname(handle, reinterpret_cast<sockaddr*>(&record), &length) != 0) return 0;
    sockaddr_in v4{};
    std::memcpy(&v4, &record, sizeof v4);
    return ntohs(v4.sin_port);
}

bool RunningUnderWine() {
#ifdef _WIN32
    const HMODULE system = GetModuleHandleA("ntdll.dll");
    return system != nullptr && GetProcAddress(system, "wine_get_version") != nullptr;
#else
    return false;
#endif
}

void KeepNameQueriesOnLoopback() {
#ifndef _WIN32
    platform::UseNameServers("127.0.0.1:9");
#endif
}

}  // namespace netpull::testing
