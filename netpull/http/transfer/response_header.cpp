// The response header of an HTTP/1.x download.
#include "netpull/http/transfer/response_header.h"

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

// A decimal number of digits only: no sign, no spaces, no overflow.
std::optional<std::int64_t> ReadDigits(std::string_view text) {
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || text.front() < '0' || text.front() > '9' || error != std::errc() ||
        end != text.data() + text.size())
        return std::nullopt;
    return value;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Whether the characters of a status line seen so far fit "HTTP/1.x 200" or "HTTP/1.x 200 reason".
bool FitsStatusLine(std::string_view line) {
    constexpr std::string_view kVersion = "http/1.";
    for (std::size_t i = 0; i < line.size() && i < 13; ++i) {
        const char c = line[i];
        const bool fits = i < kVersion.size()
                              ? std::tolower(static_cast<unsigned char>(c)) == kVersion[i]
                          : i == 8 || i == 12 ? c == ' '
                                              : IsDigit(c);
        if (!fits) return false;
    }
    return true;
}

void ReadStatusLine(std::string_view line, ResponseHeader& header) {
    header.statusLineValid = line.size() >= 12 && FitsStatusLine(line);
    if (header.statusLineValid)
        header.status = (line[9] - '0') * 100 + (line[10] - '0') * 10 + (line[11] - '0');
}

// Adds the codings of one Transfer-Encoding line to those before it; empty list elements, as
// in "chunked,,", count for nothing.
void AddCodings(std::string_view value, std::string& codings) {
    while (!value.empty()) {
        const auto comma = value.find(',');
        const std::string coding = Lower(Trim(value.substr(0, comma)));
        value = comma == std::string_view::npos ? std::string_view{} : value.substr(comma + 1);
        if (coding.empty()) continue;
        if (!codings.empty()) codings += ", ";
        codings += coding;
    }
}

void ReadField(std::string_view line, ResponseHeader& header) {
    if (!line.empty() && (line.front() == ' ' || line.front() == '\t')) {
        header.fieldLinesValid = false;
        return;
    }
    const auto colon = line.find(':');
    if (colon == std::string_view::npos) return;
    const std::string name = Lower(Trim(line.substr(0, colon)));
    const std::string_view value = Trim(line.substr(colon + 1));
    if (name == "content-length") {
        const std::optional<std::int64_t> length = ReadDigits(value);
        if (!length || (header.contentLength && *header.contentLength != *length))
            header.contentLengthValid = false;
        header.contentLength = length;
    } else if (name == "transfer-encoding") {
        AddCodings(value, header.transferCodings);
    } else if (name == "location" && !header.location) {
        header.location = std::string(value);
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
        // Past the limit only when not even the start of the blank line can be in what is here:
        // the limit must not depend on where the arrivals are cut.
        if (text_.size() > kMaxHeaderBytes + kHeaderEnd.size() - 1) state_ = State::TooLarge;
        return state_;
    }
    body_ = text_.substr(end + kHeaderEnd.size());
    text_.resize(end);
    state_ = text_.size() > kMaxHeaderBytes ? State::TooLarge : State::Complete;
    return state_;
}

HeaderGatherer::State HeaderGatherer::NextHeader() {
    const std::string rest = std::move(body_);
    text_.clear();
    body_.clear();
    state_ = State::Gathering;
    return Add(rest);
}

bool MayBeginStatusLine(std::string_view gathered) {
    const auto end = gathered.find("\r\n");
    if (end == std::string_view::npos) {
        // The line end may be half here.
        if (gathered.ends_with('\r')) gathered.remove_suffix(1);
        return FitsStatusLine(gathered);
    }
    ResponseHeader header;
    ReadStatusLine(gathered.substr(0, end), header);
    return header.statusLineValid;
}

ResponseHeader ParseResponseHeader(std::string_view text) {
    ResponseHeader header;
    for (bool first = true; !text.empty() || first; first = false) {
        const auto end = text.find("\r\n");
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 2);
        if (first)
            ReadStatusLine(line, header);
        else
            ReadField(line, header);
    }
    if (!header.contentLengthValid) header.contentLength.reset();
    return header;
}

}  // namespace netpull::http
