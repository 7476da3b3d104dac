// The error table, the helpers of the socket service, value kinds and their byte images,
// and the private message queue.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <limits>

#include "netpull/socket/platform/errors.h"
#include "netpull/socket/platform/message_queue.h"
#include "netpull/socket/socket_error_text.h"
#include "netpull/socket/socket_support.h"
#include "netpull/socket/variant.h"

namespace netpull {
namespace {

using namespace MSocketSupport;

TEST(SocketErrorText, TableAndUnknownNumbers) {
    EXPECT_EQ(SocketErrorText(10061), "Connection refused.");
    EXPECT_EQ(SocketErrorText(11001), "Host not found.");
    EXPECT_EQ(SocketErrorText(10092), "csocket.dll version out of range.");
    EXPECT_EQ(SocketErrorText(10004), "Interrupted function call.");
    EXPECT_EQ(SocketErrorText(11004), "Valid name, no data record of requested type.");
    for (const int number : {10059, 0, -1, 40006, 10068, 11005})
        EXPECT_EQ(SocketErrorText(number), "Unknown error.");
    EXPECT_EQ(StartupFailureText(10091),
              "The underlying network subsystem is not ready for network communication.");
    EXPECT_EQ(StartupFailureText(12345), "");
}

TEST(SocketErrorText, ErrnoValuesMapToTheirWindowsNumbers) {
    EXPECT_EQ(platform::WsaErrorFromErrno(EAGAIN), platform::WSAEWOULDBLOCK);
    EXPECT_EQ(platform::WsaErrorFromErrno(EINPROGRESS), platform::WSAEWOULDBLOCK);
    EXPECT_EQ(platform::WsaErrorFromErrno(EPIPE), platform::WSAECONNRESET);
    EXPECT_EQ(platform::WsaErrorFromErrno(ENFILE), platform::WSAEMFILE);
    EXPECT_EQ(platform::WsaErrorFromErrno(ECONNREFUSED), 10061);
    // Numbers with no errno of their own, and errno values with no number, stay apart.
    for (const int unmapped : {0, ENOENT, EDOM, -1})
        EXPECT_EQ(platform::WsaErrorFromErrno(unmapped), platform::WSASYSCALLFAILURE) << unmapped;
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

TEST(ValueKinds, ByteImagesRoundTrip) {
    const std::vector<Variant> values = {Variant(std::int16_t{-2}),
                                         Variant(std::int32_t{1}),
                                         Variant(1.5f),
                                         Variant(-2.25),
                                         Variant(Currency{123456}),
                                         Variant(Date{44000.5}),
                                         Variant(std::string("abc")),
                                         Variant(true),
                                         Variant(std::uint8_t{200}),
                                         Variant(std::vector<std::uint8_t>{0, 1, 255})};
    for (const Variant& value : values)
        EXPECT_EQ(FromBytes(ToBytes(value), value.Type()), value) << value.Type();
    EXPECT_EQ(ToBytes(Variant(std::int32_t{1})), std::string("\x01\x00\x00\x00", 4));
    EXPECT_EQ(ToBytes(Variant(true)), std::string("\xFF\xFF", 2));
    EXPECT_EQ(ToBytes(Variant()), "");
    EXPECT_EQ(Variant(std::string("x")).Type(), vbString);
    EXPECT_EQ(Variant(std::vector<std::uint8_t>{}).Type(), vbByteArray);
}

TEST(ValueKinds, ShortChunksAreNeverReadPastTheirEnd) {
    EXPECT_EQ(FromBytes(std::string("\x01\x02", 2), vbLong), Variant(std::int32_t{0x0201}));
    EXPECT_EQ(FromBytes("", vbDouble), Variant(0.0));
    EXPECT_EQ(FromBytes("abc", 9999), Variant(std::string()));
    EXPECT_EQ(FromBytes("abc", vbLong).Type(), vbLong);
}

TEST(ValueKinds, NumericTextAndNumbers) {
    EXPECT_EQ(Variant("8080").AsInteger(), 8080);
    EXPECT_EQ(Variant(" 80 ").AsInteger(), 80);
    EXPECT_EQ(Variant("http").AsInteger(), std::nullopt);
    EXPECT_EQ(Variant(80.4).AsInteger(), 80);
    EXPECT_EQ(Variant().AsInteger(), std::nullopt);
    EXPECT_EQ(Variant(1e12).AsInteger(), std::nullopt);
}

platform::LRESULT Recorder(platform::HWND, platform::UINT message, platform::WPARAM wParam,
                           platform::LPARAM) {
    static int calls = 0;
    if (message == 0) return calls;  // read the count
    ++calls;
    return static_cast<platform::LRESULT>(wParam);
}

TEST(MessageQueue, NamesWindowsAndPendingMessages) {
    using namespace platform;
    EXPECT_EQ(RegisterWindowMessageA("Netpull.test"), RegisterWindowMessageA("Netpull.test"));
    EXPECT_NE(RegisterWindowMessageA("Netpull.test"), RegisterWindowMessageA("Netpull.other"));
    EXPECT_EQ(CreateWindowExA("BUTTON", "x"), 0);

    const HWND window = CreateWindowExA("STATIC", "test");
    const WNDPROC previous = SetWindowProcedure(window, &Recorder);
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
