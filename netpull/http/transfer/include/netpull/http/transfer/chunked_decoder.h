// Decodes a body sent with "Transfer-Encoding: chunked" into the resource's bytes, arrival by
// arrival, whatever way the chunk-size lines and data are split between arrivals.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace netpull::http {

class ChunkedDecoder {
  public:
    enum class State { Size, Data, DataEnd, Trailer, Done, Bad };

    // Appends the decoded bytes of one arrival to out and returns the state reached.
    State Feed(std::string_view arrival, std::string& out);
    State CurrentState() const { return state_; }

  private:
    State ReadLine(std::string_view& arrival);
    State EndOfSizeLine();

    State state_ = State::Size;
    std::string line_;             // a size or trailer line gathered so far
    std::uint64_t remaining_ = 0;  // data bytes left in the current chunk
};

}  // namespace netpull::http
