// One commune table in memory: its records, in table order, each whole and with its key
// (the text before the key separator). Read-only once loaded.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tarvel::data {

class CommuneTable {
public:
    struct Entry {
        std::uint32_t offset;
        std::uint32_t length;
        std::uint32_t keyLength;
    };

    CommuneTable() = default;
    // text holds every record; entries locate each record and its key inside it.
    CommuneTable(std::string text, std::vector<Entry> entries);

    std::size_t Count() const { return entries_.size(); }
    std::string_view Record(std::size_t index) const {
        const Entry& e = entries_[index];
        return {text_.data() + e.offset, e.length};
    }
    std::string_view Key(std::size_t index) const {
        const Entry& e = entries_[index];
        return {text_.data() + e.offset, e.keyLength};
    }
    // Bytes held by the table in memory, for the memory budget.
    std::size_t MemoryBytes() const;

private:
    std::string text_;
    std::vector<Entry> entries_;
};

}  // namespace tarvel::data
