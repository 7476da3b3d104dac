// Decodes a chunked body into the resource's bytes.
#include "netpull/http/transfer/chunked_decoder.h"

#include <charconv>

namespace netpull::http {
namespace {

constexpr std::size_t kMaxLine = 4096;
constexpr std::uint64_t kMaxChunk = std::uint64_t{1} << 48;

}  // namespace

ChunkedDecoder::State ChunkedDecoder::Feed(std::string_view arrival, std::string& out) {
    while (!arrival.empty() && state_ != State::Done && state_ != State::Bad) {
        if (state_ == State::Data) {
            const std::size_t take =
                static_cast<std::size_t>(std::min<std::uint64_t>(remaining_, arrival.size()));
            out.append(arrival.substr(0, take));
            arrival.remove_prefix(take);
            remaining_ -= take;
            if (remaining_ == 0) state_ = State::DataEnd;
        } else {
            state_ = ReadLine(arrival);
        }
    }
    return state_;
}

// Gathers one CR LF-ended line of the size, data-end or trailer parts.
ChunkedDecoder::State ChunkedDecoder::ReadLine(std::string_view& arrival) {
    const auto end = arrival.find('\n');
    line_.append(arrival.substr(0, end));
    arrival.remove_prefix(end == std::string_view::npos ? arrival.size() : end + 1);
    if (line_.size() > kMaxLine) return State::Bad;
    if (end == std::string_view::npos) return state_;
    if (line_.empty() || line_.back() != '\r') return State::Bad;
    line_.pop_back();
    const State previous = state_;
    State next = State::Bad;
    if (previous == State::Size)
        next = EndOfSizeLine();
    else if (previous == State::DataEnd)
        next = line_.empty() ? State::Size : State::Bad;
    else if (previous == State::Trailer)
        next = line_.empty() ? State::Done : State::Trailer;
    line_.clear();
    return next;
}

ChunkedDecoder::State ChunkedDecoder::EndOfSizeLine() {
    const std::string_view size = std::string_view(line_).substr(0, line_.find(';'));
    std::uint64_t value = 0;
    const auto [ptr, error] = std::from_chars(size.data(), size.data() + size.size(), value, 16);
    const bool onlySpaces =
        size.substr(static_cast<std::size_t>(ptr - size.data())).find_first_not_of(" \t") ==
        std::string_view::npos;
    if (error != std::errc() || ptr == size.data() || !onlySpaces || value > kMaxChunk)
        return State::Bad;
    remaining_ = value;
    return value == 0 ? State::Trailer : State::Data;
}

}  // namespace netpull::http
