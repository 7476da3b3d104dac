// One commune table in memory: its records, in table order, each whole and with its key
// (the text before the key separator). Read-only once loaded.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tarvel::data {

// Memory for a table's text, left uninitialised, in huge pages where the system has them.
struct FreeText {
    void operator()(char* text) const;
};
using TextBuffer = std::unique_ptr<char[], FreeText>;
TextBuffer AllocateText(std::size_t size);

class CommuneTable {
  public:
    struct Entry {
        std::uint32_t offset;
        std::uint32_t length;
        std::uint32_t keyLength;
    };

    CommuneTable() = default;
    // text holds every record in its first size bytes; entries locate each record and its
    // key inside it.
    CommuneTable(TextBuffer text, std::size_t size, std::vector<Entry> entries);
    CommuneTable(const CommuneTable& other);
    CommuneTable& operator=(const CommuneTable& other);
    CommuneTable(CommuneTable&&) noexcept = default;
    CommuneTable& operator=(CommuneTable&&) noexcept = default;

    std::size_t Count() const { return entries_.size(); }
    std::string_view Record(std::size_t index) const {
        const Entry& e = entries_[index];
        return {text_.get() + e.offset, e.length};
    }
    std::string_view Key(std::size_t index) const {
        const Entry& e = entries_[index];
        return {text_.get() + e.offset, e.keyLength};
    }
    // Whether every key is at least the one before it, in byte order: the keys that begin
    // with some text then stand together.
    bool KeysAscending() const { return keysAscending_; }
    // Bytes held by the table in memory, for the memory budget.
    std::size_t MemoryBytes() const;

  private:
    // Not a std::string: the table is decoded straight into memory that nothing zero-fills.
    TextBuffer text_;
    std::size_t size_ = 0;
    std::vector<Entry> entries_;
    bool keysAscending_ = false;
};

}  // namespace tarvel::data
