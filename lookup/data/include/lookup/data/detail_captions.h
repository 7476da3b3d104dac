// The captions of the eleven value labels of the detail panel, cut from one record of
// either table. Both tables give the same captions for the same commune.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "lookup/data/record_layout.h"

namespace tarvel::data {

struct DetailCaptions {
    std::array<std::string, kDetailLabelCount> text;
    // The order in which the labels receive their final captions; it follows the order of
    // the record's fields. The name label's change switches the actions on, so order matters.
    std::array<DetailLabel, kDetailLabelCount> writeOrder;

    const std::string& operator[](DetailLabel label) const {
        return text[static_cast<std::size_t>(label)];
    }
};

// The captions of a record of the given layout; a record short of fields gives empty
// captions, never a failure.
DetailCaptions CaptionsOf(std::string_view record, const RecordLayout& layout);
inline DetailCaptions CaptionsOfPostalRecord(std::string_view record) {
    return CaptionsOf(record, kPostalRecord);
}
inline DetailCaptions CaptionsOfNameRecord(std::string_view record) {
    return CaptionsOf(record, kNameRecord);
}

// The postal code of a name record, read at every line of a name search.
std::string_view PostalCodeOfNameRecord(std::string_view record);

}  // namespace tarvel::data
