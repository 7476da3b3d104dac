// What one search gives the main window.
#include "lookup/search/search_result.h"

namespace tarvel::search {

std::string ListLines::operator[](std::size_t index) const {
    const std::uint32_t record = records_[index];
    const std::string_view key = table_->Key(record);
    if (form_ == Form::Key) return std::string(key);
    // The key holds no field separator: the postal code is looked for after it.
    const std::string_view postalCode =
        data::PostalCodeOfNameRecord(table_->Record(record).substr(key.size()));
    std::string line;
    line.reserve(postalCode.size() + 1 + key.size());
    line.append(postalCode).append(1, ' ').append(key);
    return line;
}

}  // namespace tarvel::search
