// The text rules of the download control's display.
#include "netpull/http/display/control_display.h"

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace netpull::http {
namespace {

constexpr double kKiB = 1024.0;
constexpr double kMiB = 1048576.0;
constexpr double kGiB = 1073741824.0;

// Rounds to one decimal with ties to even and writes the shortest form.
std::string OneDecimal(double value, char decimalPoint) {
    const double rounded = std::nearbyint(value * 10.0) / 10.0;
    char text[64];
    std::snprintf(text, sizeof text, "%.1f", rounded);
    std::string result(text);
    if (result.ends_with(".0")) result.resize(result.size() - 2);
    std::replace(result.begin(), result.end(), '.', decimalPoint);
    return result;
}

}  // namespace

std::string FormatSize(std::int64_t n, char decimalPoint) {
    const auto value = static_cast<double>(n);
    if (value > kGiB) return OneDecimal(value / kGiB, decimalPoint) + " GB";
    if (value > kMiB) return OneDecimal(value / kMiB, decimalPoint) + " MB";
    if (value > kKiB)
        return std::to_string(static_cast<std::int64_t>(std::nearbyint(value / kKiB))) + " KB";
    return std::to_string(n) + "bytes";
}

std::int32_t Percent(std::int64_t bytes, std::int64_t ofBytes) {
    if (bytes == 0 || ofBytes == 0) return 0;
    const double p = std::floor(static_cast<double>(bytes) / static_cast<double>(ofBytes) * 100.0);
    return static_cast<std::int32_t>(std::clamp(p, 0.0, 32767.0));
}

std::string FitLine(std::string_view text, std::int32_t widthTwips) {
    auto shown = static_cast<std::size_t>(std::max(widthTwips, 0) / 100);
    // Characters are counted by the bytes that begin them, so a cut never splits one.
    std::size_t at = text.size();
    while (at > 0 && shown > 0) {
        --at;
        if ((static_cast<unsigned char>(text[at]) & 0xC0) != 0x80) --shown;
    }
    if (shown > 0) return std::string(text);
    return std::string(text.substr(at));
}

std::int32_t Clamp32(std::int64_t value) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

}  // namespace netpull::http
