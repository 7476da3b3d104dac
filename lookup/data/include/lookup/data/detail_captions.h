// The captions of the eleven value labels of the detail panel, cut from one record of
// either table. Both tables give the same captions for the same commune.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace tarvel::data {

// The value labels, in the panel's order from top to bottom.
enum class DetailLabel {
    Commune,
    CommuneMin,
    Departement,
    Region,
    CodeRegion,
    Insee,
    Academie,
    CodeAca,
    ZoneVac,
    Latitude,
    Longitude,
};
inline constexpr std::size_t kDetailLabelCount = 11;

struct DetailCaptions {
    std::array<std::string, kDetailLabelCount> text;
    // The order in which the labels receive their final captions; it follows the order of
    // the record's fields. The name label's change switches the actions on, so order matters.
    std::array<DetailLabel, kDetailLabelCount> writeOrder;

    const std::string& operator[](DetailLabel label) const {
        return text[static_cast<std::size_t>(label)];
    }
};

// A postal-code record: key, ordinary-case name, département, région name and code, INSEE
// number, académie name and code, zone, latitude, longitude.
DetailCaptions CaptionsOfPostalRecord(std::string_view record);

// A name record: key$INSEE, postal code, département code and name, ordinary-case name,
// région code and name, latitude, longitude, académie name and code, zone.
DetailCaptions CaptionsOfNameRecord(std::string_view record);

// The postal code of a name record: the text between its first and second "§".
std::string_view PostalCodeOfNameRecord(std::string_view record);

}  // namespace tarvel::data
