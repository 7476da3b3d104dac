// The value kinds of SendData, GetData and PeekData, and their byte images.
#include "netpull/socket/variant.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace netpull {
namespace {

template <typename T>
std::string Image(const T& value) {
    std::string bytes(sizeof value, '\0');
    std::memcpy(bytes.data(), &value, sizeof value);
    return bytes;
}

template <typename T>
T Read(std::string_view chunk) {
    unsigned char bytes[sizeof(T)] = {};
    std::memcpy(bytes, chunk.data(), std::min(chunk.size(), sizeof(T)));
    T value;
    std::memcpy(&value, bytes, sizeof(T));
    return value;
}

template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

}  // namespace

VarType Variant::Type() const {
    constexpr VarType kTypes[] = {vbEmpty, vbInteger, vbLong,    vbSingle, vbDouble,   vbCurrency,
                                  vbDate,  vbString,  vbBoolean, vbByte,   vbByteArray};
    return kTypes[value_.index()];
}

std::string Variant::Text() const {
    return std::visit(
        Overloaded{
            [](std::monostate) { return std::string(); },
            [](const std::string& s) { return s; },
            [](const std::vector<std::uint8_t>& b) { return std::string(b.begin(), b.end()); },
            [](bool b) { return std::string(b ? "True" : "False"); },
            [](Currency c) { return std::to_string(static_cast<double>(c.scaled) / 10000.0); },
            [](Date d) { return std::to_string(d.days); },
            [](auto number) { return std::to_string(number); },
        },
        value_);
}

std::optional<std::int32_t> Variant::AsInteger() const {
    return std::visit(
        Overloaded{
            [](std::monostate) -> std::optional<std::int32_t> { return std::nullopt; },
            [](const std::vector<std::uint8_t>&) -> std::optional<std::int32_t> {
                return std::nullopt;
            },
            [](const std::string& s) -> std::optional<std::int32_t> {
                const auto begin = s.find_first_not_of(' ');
                if (begin == std::string::npos) return std::nullopt;
                double value = 0;
                const auto end = s.find_last_not_of(' ') + 1;
                const auto [ptr, error] = std::from_chars(s.data() + begin, s.data() + end, value);
                if (error != std::errc() || ptr != s.data() + end || std::abs(value) > 2147483647.0)
                    return std::nullopt;
                return static_cast<std::int32_t>(std::lround(value));
            },
            [](bool b) -> std::optional<std::int32_t> { return b ? -1 : 0; },
            [](Currency c) -> std::optional<std::int32_t> {
                return static_cast<std::int32_t>(
                    std::llround(static_cast<double>(c.scaled) / 10000.0));
            },
            [](Date d) -> std::optional<std::int32_t> {
                return static_cast<std::int32_t>(std::lround(d.days));
            },
            [](auto number) -> std::optional<std::int32_t> {
                if (std::abs(static_cast<double>(number)) > 2147483647.0) return std::nullopt;
                return static_cast<std::int32_t>(std::lround(static_cast<double>(number)));
            },
        },
        value_);
}

std::string ToBytes(const Variant& value) {
    return std::visit(
        Overloaded{
            [](std::monostate) { return std::string(); },
            [](const std::string& s) { return s; },
            [](const std::vector<std::uint8_t>& b) { return std::string(b.begin(), b.end()); },
            [](bool b) { return Image<std::int16_t>(b ? -1 : 0); },
            [](Currency c) { return Image(c.scaled); },
            [](Date d) { return Image(d.days); },
            [](auto number) { return Image(number); },
        },
        value.value());
}

Variant FromBytes(std::string_view chunk, int type) {
    switch (type) {
        case vbByteArray:
            return std::vector<std::uint8_t>(chunk.begin(), chunk.end());
        case vbBoolean:
            return Read<std::int16_t>(chunk) != 0;
        case vbByte:
            return Read<std::uint8_t>(chunk);
        case vbCurrency:
            return Currency{Read<std::int64_t>(chunk)};
        case vbDate:
            return Date{Read<double>(chunk)};
        case vbDouble:
            return Read<double>(chunk);
        case vbInteger:
            return Read<std::int16_t>(chunk);
        case vbLong:
            return Read<std::int32_t>(chunk);
        case vbSingle:
            return Read<float>(chunk);
        case vbString:
            return std::string(chunk);
        default:
            return std::string();
    }
}

}  // namespace netpull
