// What one search gives the main window.
#include "lookup/search/search_result.h"

namespace tarvel::search {

void ListLines::Reserve(std::size_t lines, std::size_t bytes) {
    ends_.reserve(lines);
    text_.reserve(bytes);
}

void ListLines::Append(std::string_view line) {
    text_.append(line);
    ends_.push_back(static_cast<std::uint32_t>(text_.size()));
}

void ListLines::AppendJoined(std::string_view first, char separator, std::string_view second) {
    text_.append(first).append(1, separator).append(second);
    ends_.push_back(static_cast<std::uint32_t>(text_.size()));
}

}  // namespace tarvel::search
