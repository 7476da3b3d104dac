// One commune table in memory: its records, in table order, each whole and with its key.
#include "lookup/data/commune_table.h"

#include <utility>

namespace tarvel::data {

CommuneTable::CommuneTable(std::string text, std::vector<Entry> entries)
    : text_(std::move(text)), entries_(std::move(entries)) {}

std::size_t CommuneTable::MemoryBytes() const {
    return sizeof(*this) + text_.capacity() + entries_.capacity() * sizeof(Entry);
}

}  // namespace tarvel::data
