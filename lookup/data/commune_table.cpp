// One commune table in memory: its records, in table order, each whole and with its key.
#include "lookup/data/commune_table.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>
#include <new>
#include <utility>

namespace tarvel::data {

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::size_t kCacheLine = 64;

std::size_t RoundedUp(std::size_t size, std::size_t unit) {
    return (std::max<std::size_t>(size, 1) + unit - 1) / unit * unit;
}

// A text of a huge page or more takes whole huge pages; a smaller one, as in tests, does not
// take one (the system would fault in and clear 2 MiB for it).
std::size_t AllocationUnit(std::size_t size) {
    return size >= kHugePage ? kHugePage : kCacheLine;
}

}  // namespace

void FreeText::operator()(char* text) const {
    std::free(text);
}

// Several megabytes written once at start: in huge pages they cost a few page faults instead
// of thousands.
TextBuffer AllocateText(std::size_t size) {
    const std::size_t unit = AllocationUnit(size);
    const std::size_t rounded = RoundedUp(size, unit);
    auto* text = static_cast<char*>(std::aligned_alloc(unit, rounded));
    if (text == nullptr) throw std::bad_alloc();
    if (unit == kHugePage) ::madvise(text, rounded, MADV_HUGEPAGE);
    return TextBuffer(text);
}

CommuneTable::CommuneTable(TextBuffer text, std::size_t size, std::vector<Entry> entries)
    : text_(std::move(text)), size_(size), entries_(std::move(entries)) {
    keysAscending_ = true;
    for (std::size_t i = 1; i < entries_.size() && keysAscending_; ++i)
        keysAscending_ = Key(i - 1) <= Key(i);
}

CommuneTable::CommuneTable(const CommuneTable& other)
    : text_(AllocateText(other.size_)),
      size_(other.size_),
      entries_(other.entries_),
      keysAscending_(other.keysAscending_) {
    std::copy_n(other.text_.get(), size_, text_.get());
}

CommuneTable& CommuneTable::operator=(const CommuneTable& other) {
    if (this != &other) *this = CommuneTable(other);
    return *this;
}

std::size_t CommuneTable::MemoryBytes() const {
    return sizeof(*this) + RoundedUp(size_, AllocationUnit(size_)) +
           entries_.capacity() * sizeof(Entry);
}

}  // namespace tarvel::data
