// What one search gives the main window: the list lines, the record behind each line, the
// captions of the first match and the status text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lookup/search/detail_captions.h"

namespace tarvel::search {

// The lines of the result list, kept in one buffer: thousands of lines are built at every
// keystroke, and one allocation for all of them keeps that cheap.
class ListLines {
public:
    void Reserve(std::size_t lines, std::size_t bytes);
    void Append(std::string_view line);
    void AppendJoined(std::string_view first, char separator, std::string_view second);

    std::size_t size() const { return ends_.size(); }
    bool empty() const { return ends_.empty(); }
    std::string_view operator[](std::size_t index) const {
        const std::uint32_t begin = index == 0 ? 0 : ends_[index - 1];
        return std::string_view(text_).substr(begin, ends_[index] - begin);
    }

private:
    std::string text_;
    std::vector<std::uint32_t> ends_;
};

struct SearchResult {
    ListLines lines;
    std::vector<std::uint32_t> records;  // the table index of the record behind each line
    std::optional<DetailCaptions> firstMatch;
    std::string status;
};

}  // namespace tarvel::search
