// The errno map, the helpers of the socket service and the private message queue.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>

#include "netpull/socket/platform/errors.h"
#include "netpull/socket/platform/message_queue.h"
#include "netpull/socket/socket_support.h"

namespace netpull {
namespace {

using namespace MSocketSupport;

TEST(SocketErrorText, ErrnoValuesMapToTheirWindowsNumbers) {
    EXPECT_EQ(platform::WsaErrorFromErrno(EAGAIN), WSAEWOULDBLOCK);
    EXPECT_EQ(platform::WsaErrorFromErrno(EINPROGRESS), WSAEWOULDBLOCK);
    EXPECT_EQ(platform::WsaErrorFromErrno(EPIPE), WSAECONNRESET);
    EXPECT_EQ(platform::WsaErrorFromErrno(ENFILE), WSAEMFILE);
    EXPECT_EQ(platform::WsaErrorFromErrno(ECONNREFUSED), 10061);
    // Numbers with no errno of their own, and errno values with no number, stay apart.
    for (const int unmapped : {0, ENOENT, EDOM, -1})
        EXPECT_EQ(platform::WsaErrorFromErrno(unmapped), WSASYSCALLFAILURE) << unmapped;
}

TEST(SocketHelpers, WordsSignedValuesAndKeys) {
    const std::int64_t lParam = static_cast<std::int32_t>((32769u << 16) | 32u);
    EXPECT_LT(lParam, 0);
    EXPECT_EQ(HighWord(lParam), 32769u);
    EXPECT_EQ(LowWord(lParam), 32u);
    EXPECT_EQ(ToSigned16(80), 80);
    EXPECT_EQ(ToSigned16(65535), -1);
    EXPECT_EQ(ToSigned16(32768), -32768);
    EXPECT_THROW(ToSigned16(65536), SocketError);
    EXPECT_THROW(ToSigned16(-1), SocketError);
    EXPECT_EQ(ToUnsigned16(-1), 65535);
    EXPECT_EQ(ToUnsigned16(80), 80);
    EXPECT_EQ(SocketKey(1234), "S1234");
    EXPECT_EQ(ResolveKey(5), "R5");
    EXPECT_EQ(SocketKey(-7), "S-7");
}

LRESULT Recorder(HWND, UINT message, WPARAM wParam, LPARAM) {
    static int calls = 0;
    if (message == 0) return calls;  // read the count
    ++calls;
    return static_cast<LRESULT>(wParam);
}

TEST(MessageQueue, NamesWindowsAndPendingMessages) {
    using namespace platform;
    EXPECT_EQ(RegisterWindowMessageA("Netpull.test"), RegisterWindowMessageA("Netpull.test"));
    EXPECT_NE(RegisterWindowMessageA("Netpull.test"), RegisterWindowMessageA("Netpull.other"));
    EXPECT_EQ(CreateWindowExA(0, "BUTTON", "x", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr),
              nullptr);

    const HWND window =
        CreateWindowExA(0, "STATIC", "test", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    const auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Recorder)));
    ASSERT_NE(previous, nullptr);
    EXPECT_EQ(CallWindowProcA(previous, window, 1234, 1, 2), 0);  // the static procedure
    const int before = static_cast<int>(Recorder(0, 0, 0, 0));
    PostMessageA(window, 1, 0, 0);
    PostMessageA(window, 1, 0, 0);
    DispatchPendingMessages();
    EXPECT_EQ(Recorder(0, 0, 0, 0), before + 2);
    PostMessageA(window, 1, 0, 0);
    DestroyWindow(window);
    DispatchPendingMessages();  // dropped: its window is gone
    EXPECT_EQ(Recorder(0, 0, 0, 0), before + 2);
    EXPECT_FALSE(PostMessageA(window, 1, 0, 0));
    EXPECT_FALSE(HasPendingMessages());
}

}  // namespace
}  // namespace netpull
