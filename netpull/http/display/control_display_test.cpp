// The text rules of the control's display: sizes, percentages, line fitting and clamping.
#include "netpull/http/display/control_display.h"

#include <gtest/gtest.h>

namespace netpull::http {
namespace {

TEST(ControlDisplay, FormatSizeThresholdsAndRounding) {
    EXPECT_EQ(FormatSize(500), "500bytes");
    EXPECT_EQ(FormatSize(1024), "1024bytes");
    EXPECT_EQ(FormatSize(1536), "2 KB");
    EXPECT_EQ(FormatSize(2560), "2 KB");
    EXPECT_EQ(FormatSize(1572864), "1.5 MB");
    EXPECT_EQ(FormatSize(1572864, ','), "1,5 MB");
    EXPECT_EQ(FormatSize(1048577), "1 MB");
    EXPECT_EQ(FormatSize(2147483647), "2 GB");
    EXPECT_EQ(FormatSize(5LL << 30), "5 GB");
}

TEST(ControlDisplay, PercentFittingAndClamping) {
    EXPECT_EQ(Percent(512, 2048), 25);
    EXPECT_EQ(Percent(0, 2048), 0);
    EXPECT_EQ(Percent(3LL << 30, 4LL << 30), 75);  // past 2 GiB
    EXPECT_EQ(FitLine(std::string(60, 'a') + "z", 3495), std::string(33, 'a') + "z");
    EXPECT_EQ(FitLine("short", 3495), "short");
    // Characters, not bytes: the cut keeps "é" whole.
    EXPECT_EQ(FitLine("x/d\xC3\xA9j\xC3\xA0", 400), "d\xC3\xA9j\xC3\xA0");
    EXPECT_EQ(FitLine("\xC3\xA9\xC3\xA9\xC3\xA9", 200), "\xC3\xA9\xC3\xA9");
    EXPECT_EQ(Clamp32(5LL << 30), 2147483647);
}

}  // namespace
}  // namespace netpull::http
