// The value kinds that SendData takes and GetData and PeekData produce, after the OLE
// Automation variant kinds with their standard type numbers, and their byte images
// (little-endian memory images; text one byte per character).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

namespace netpull {

enum VarType : int {
    vbEmpty = 0,
    vbInteger = 2,   // 16-bit signed
    vbLong = 3,      // 32-bit signed
    vbSingle = 4,    // 32-bit float
    vbDouble = 5,    // 64-bit float
    vbCurrency = 6,  // 64-bit integer scaled by 10000
    vbDate = 7,      // 64-bit float day count
    vbString = 8,    // byte text
    vbBoolean = 11,  // 0 false, -1 true
    vbByte = 17,
    vbByteArray = 8209,
};

struct Currency {
    std::int64_t scaled;  // value times 10000
    bool operator==(const Currency&) const = default;
};
struct Date {
    double days;
    bool operator==(const Date&) const = default;
};

class Variant {
  public:
    using Value = std::variant<std::monostate, std::int16_t, std::int32_t, float, double, Currency,
                               Date, std::string, bool, std::uint8_t, std::vector<std::uint8_t>>;

    Variant() = default;
    template <typename T>
    requires(!std::is_same_v<std::decay_t<T>, Variant> && std::is_constructible_v<Value, T>)
        Variant(T value)
        : value_(std::move(value)) {}
    Variant(const char* text) : value_(std::string(text)) {}

    VarType Type() const;
    const Value& value() const { return value_; }
    template <typename T>
    const T* Get() const {
        return std::get_if<T>(&value_);
    }
    bool IsEmpty() const { return std::holds_alternative<std::monostate>(value_); }

    // The text of a text value, or of any other kind as its plain decimal or empty.
    std::string Text() const;
    // The value as a whole number when it is numeric (numbers, or text holding a number).
    std::optional<std::int32_t> AsInteger() const;

    bool operator==(const Variant&) const = default;

  private:
    Value value_;
};

// The bytes of a value by its kind; a kind without an image gives no bytes.
std::string ToBytes(const Variant& value);

// The value of a kind read from the first bytes of a chunk. A chunk shorter than the kind
// needs is read as if padded with zero bytes, never past its end. An unknown kind gives
// empty text.
Variant FromBytes(std::string_view chunk, int type);

}  // namespace netpull
