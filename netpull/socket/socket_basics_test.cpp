// The helpers of the socket service: words of a message parameter, 16-bit values, keys.
#include <gtest/gtest.h>

#include "netpull/socket/socket_support.h"

namespace netpull {
namespace {

using namespace MSocketSupport;

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

}  // namespace
}  // namespace netpull
