// The text rules of the download control's display: byte counts as sizes, percentages, and
// the fitting of long texts into a label of a given width.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace netpull::http {

// 500 gives "500bytes", 1536 "2 KB", 1.5 MiB "1.5 MB" (with the given decimal separator),
// 2147483647 "2 GB". Thresholds are exclusive, rounding is to nearest with ties to even.
std::string FormatSize(std::int64_t n, char decimalPoint = '.');

// floor(bytes / ofBytes * 100), 0 when bytes is 0, kept within 0 to 32767.
std::int32_t Percent(std::int64_t bytes, std::int64_t ofBytes);

// A label w twips wide shows the last floor(w / 100) characters of a longer UTF-8 text.
std::string FitLine(std::string_view text, std::int32_t widthTwips);

// 32-bit interface values of 64-bit counters, clamped to the largest 32-bit value.
std::int32_t Clamp32(std::int64_t value);

}  // namespace netpull::http
