// The stand-in's own parts, which Windows keeps to itself: the errno map and the private
// message queue.
#include <gtest/gtest.h>

#include <cerrno>

#include "errors.h"
#include "netpull/socket/platform/message_queue.h"

namespace netpull::platform {
namespace {

TEST(StandIn, ErrnoValuesMapToTheirWindowsNumbers) {
    EXPECT_EQ(WsaErrorFromErrno(EAGAIN), WSAEWOULDBLOCK);
    EXPECT_EQ(WsaErrorFromErrno(EINPROGRESS), WSAEWOULDBLOCK);
    EXPECT_EQ(WsaErrorFromErrno(EPIPE), WSAECONNRESET);
    EXPECT_EQ(WsaErrorFromErrno(ENFILE), WSAEMFILE);
    EXPECT_EQ(WsaErrorFromErrno(ECONNREFUSED), 10061);
    // Numbers with no errno of their own, and errno values with no number, stay apart.
    for (const int unmapped : {0, ENOENT, EDOM, -1})
        EXPECT_EQ(WsaErrorFromErrno(unmapped), WSASYSCALLFAILURE) << unmapped;
}

LRESULT Recorder(HWND, UINT message, WPARAM wParam, LPARAM) {
    static int calls = 0;
    if (message == 0) return calls;  // read the count
    ++calls;
    return static_cast<LRESULT>(wParam);
}

TEST(StandIn, NamesWindowsAndPendingMessages) {
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
}  // namespace netpull::platform
