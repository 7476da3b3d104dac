// The response header of an HTTP/1.x download: finding its end in the bytes gathered so far,
// whatever the arrivals, with a bound on its size, and reading the status and the body's
// framing from it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace netpull::http {

inline constexpr std::size_t kMaxHeaderBytes = 64 * 1024;

// Gathers arrivals until the blank line that ends the header.
class HeaderGatherer {
public:
    enum class State { Gathering, Complete, TooLarge };

    // Adds one arrival. Once complete, Body() holds the bytes that followed the header end
    // in that arrival.
    State Add(std::string_view arrival);
    const std::string& Text() const { return text_; }  // the header without its blank line
    std::string TakeBody() { return std::move(body_); }

private:
    std::string text_;
    std::string body_;
    State state_ = State::Gathering;
};

struct ResponseHeader {
    bool statusLineSeen = false;        // a line starting with HTTP/1.x
    std::optional<int> status;          // its status code, when it is a number
    std::optional<std::int64_t> contentLength;
    bool chunked = false;               // Transfer-Encoding ends with chunked
};

// Header names are compared without regard to case or to spaces around the colon.
ResponseHeader ParseResponseHeader(std::string_view text);

}  // namespace netpull::http
