// The response header of an HTTP/1.x download.
#include "netpull/http/response_header.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace netpull::http {
namespace {

constexpr std::string_view kHeaderEnd = "\r\n\r\n";

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

std::string_view Trim(std::string_view text) {
    const auto begin = text.find_first_not_of(" \t");
    if (begin == std::string_view::npos) return {};
    return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

template <typename Number>
std::optional<Number> ReadNumber(std::string_view text) {
    Number value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

void ReadStatusLine(std::string_view line, ResponseHeader& header) {
    header.statusLineSeen = true;
    const auto space = line.find(' ');
    if (space == std::string_view::npos) return;
    std::string_view rest = line.substr(space + 1);
    rest = rest.substr(0, rest.find(' '));
    if (const auto status = ReadNumber<int>(rest)) header.status = *status;
    else header.status.reset();
}

void ReadField(std::string_view line, ResponseHeader& header) {
    const auto colon = line.find(':');
    if (colon == std::string_view::npos) return;
    const std::string name = Lower(Trim(line.substr(0, colon)));
    const std::string_view value = Trim(line.substr(colon + 1));
    if (name == "content-length") {
        header.contentLength = ReadNumber<std::int64_t>(value);
        if (header.contentLength && *header.contentLength < 0) header.contentLength.reset();
    } else if (name == "transfer-encoding") {
        const std::string codings = Lower(value);
        header.chunked = codings.size() >= 7 && codings.ends_with("chunked");
    }
}

}  // namespace

HeaderGatherer::State HeaderGatherer::Add(std::string_view arrival) {
    if (state_ != State::Gathering) return state_;
    // The end may straddle two arrivals: search from a little before the new bytes.
    const std::size_t from = text_.size() >= 3 ? text_.size() - 3 : 0;
    text_.append(arrival);
    const auto end = text_.find(kHeaderEnd, from);
    if (end == std::string::npos) {
        if (text_.size() > kMaxHeaderBytes) state_ = State::TooLarge;
        return state_;
    }
    body_ = text_.substr(end + kHeaderEnd.size());
    text_.resize(end);
    state_ = text_.size() > kMaxHeaderBytes ? State::TooLarge : State::Complete;
    return state_;
}

ResponseHeader ParseResponseHeader(std::string_view text) {
    ResponseHeader header;
    while (!text.empty()) {
        const auto end = text.find("\r\n");
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 2);
        if (Lower(line.substr(0, 7)) == "http/1.") ReadStatusLine(line, header);
        else ReadField(line, header);
    }
    return header;
}

}  // namespace netpull::http
