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

    // Adds one arrival. Once complete, TakeBody() gives the bytes that followed the header end.
    State Add(std::string_view arrival);
    const std::string& Text() const { return text_; }  // the header without its blank line
    std::string TakeBody() { return std::move(body_); }
    // Drops a complete interim header and goes on gathering the next one from what followed it.
    State NextHeader();

  private:
    std::string text_;
    std::string body_;
    State state_ = State::Gathering;
};

struct ResponseHeader {
    // The first line is "HTTP/1." and a digit, a space and a three-digit status.
    bool statusLineValid = false;
    int status = 0;
    std::optional<std::int64_t> contentLength;
    bool contentLengthValid = true;  // false for a value that is no number, or two different ones
    // False when a field line begins with a space or a tab: a folded line, which this client
    // refuses rather than joins to the line before.
    bool fieldLinesValid = true;
    // The first Location field's value, where the server points to.
    std::optional<std::string> location;
    // The transfer codings of every Transfer-Encoding line, in order, lower case, ", " between.
    std::string transferCodings;
    // The body is chunked: the codings are exactly "chunked", the only one this client decodes.
    bool Chunked() const { return transferCodings == "chunked"; }
    // Codings this client cannot decode, as it asks for none: anything but "chunked" alone.
    bool UnsupportedCodings() const { return !transferCodings.empty() && !Chunked(); }

    // A status that sends the same request elsewhere when it names a Location.
    bool Redirect() const {
        return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
    }

    // "100 Continue", "103 Early Hints": another header follows. 101 is not interim here:
    // no upgrade was asked for.
    bool Interim() const {
        return statusLineValid && status >= 100 && status < 200 && status != 101;
    }
};

// False once the first bytes of a response can no longer begin a valid status line, so that a
// response that is not HTTP/1.x is refused without waiting for its end.
bool MayBeginStatusLine(std::string_view gathered);

// Header names are compared without regard to case or to spaces around the colon.
ResponseHeader ParseResponseHeader(std::string_view text);

}  // namespace netpull::http
