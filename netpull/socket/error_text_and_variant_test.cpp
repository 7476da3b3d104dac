// The descriptions of the error numbers, and value kinds with their byte images: logic that is
// the same on Linux and on Windows.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "netpull/socket/socket_error_text.h"
#include "netpull/socket/variant.h"

namespace netpull {
namespace {

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

}  // namespace
}  // namespace netpull
