// What one search gives the main window: the list lines, the record behind each line, the
// captions of the first match and the status text.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lookup/data/commune_table.h"
#include "lookup/data/detail_captions.h"

namespace tarvel::search {

// The lines of the result list: the record behind each line, and the form of its text, made
// when the line is shown. A search of thousands of lines builds no text at all; the list
// shows a screenful. The table must outlive the lines.
class ListLines {
  public:
    enum class Form {
        Key,                // a postal-code record's key: postal code, space, name
        PostalCodeThenKey,  // a name record's postal code, one space, its key
    };

    ListLines() = default;
    ListLines(const data::CommuneTable& table, Form form) : table_(&table), form_(form) {}

    void Add(std::uint32_t record) { records_.push_back(record); }
    std::size_t size() const { return records_.size(); }
    bool empty() const { return records_.empty(); }
    std::string operator[](std::size_t index) const;
    // The table index of the record behind each line.
    std::uint32_t Record(std::size_t index) const { return records_[index]; }
    const std::vector<std::uint32_t>& Records() const { return records_; }

  private:
    const data::CommuneTable* table_ = nullptr;
    Form form_ = Form::Key;
    std::vector<std::uint32_t> records_;
};

struct SearchResult {
    ListLines lines;
    std::optional<data::DetailCaptions> firstMatch;
    std::string status;
};

}  // namespace tarvel::search
