// The two record layouts of the commune tables, as data: the separators, what each field after
// the key holds, and the order in which the detail panel's labels receive their captions.
#pragma once

#include <array>
#include <cstddef>
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

// The field separator of both tables, and its byte in their Windows-1252.
inline constexpr std::string_view kFieldSeparator = "\xC2\xA7";
inline constexpr unsigned char kFieldSeparatorByte = 0xA7;

// How a field becomes a caption.
// The text of a field whose value does not exist.
inline constexpr std::string_view kMissingValue = ".";

enum class FieldForm {
    AsIs,        // the field's text
    Spaced,      // a space, then the field
    ThenKey,     // the field, a space, the current commune's key (CurrentCommuneKey)
    Held,        // kept for the next field
    AfterHeld,   // the held field, a space, this field
    Coordinate,  // the field's text, and nothing for a coordinate that does not exist (".")
};

struct FieldRule {
    DetailLabel label;
    FieldForm form;
};

struct RecordLayout {
    unsigned char keySeparatorByte;  // the Windows-1252 byte that ends the key
    std::string_view keySeparator;   // the same in UTF-8
    bool keyIsCaption;               // whether the key alone is the caption of keyLabel
    DetailLabel keyLabel;
    // The fields after the key, separated by kFieldSeparator; the last one is the rest.
    std::array<FieldRule, 12> fields;
    std::size_t fieldCount;
    // The order in which the labels receive their final captions; it follows the order of the
    // record's fields. The name label's change switches the actions on, so order matters.
    std::array<DetailLabel, kDetailLabelCount> writeOrder;
    // A record needs a field separator besides the one that ends its key.
    bool NeedsFieldSeparator() const { return keySeparatorByte != kFieldSeparatorByte; }
};

// Postal-code records: postal code and name as key, then ordinary-case name, département,
// région name and code, INSEE number, académie name and code, zone, latitude, longitude.
inline constexpr RecordLayout kPostalRecord{
    kFieldSeparatorByte,
    kFieldSeparator,
    true,
    DetailLabel::Commune,
    {{{DetailLabel::CommuneMin, FieldForm::AsIs},
      {DetailLabel::Departement, FieldForm::AsIs},
      {DetailLabel::Region, FieldForm::AsIs},
      {DetailLabel::CodeRegion, FieldForm::Spaced},
      {DetailLabel::Insee, FieldForm::Spaced},
      {DetailLabel::Academie, FieldForm::AsIs},
      {DetailLabel::CodeAca, FieldForm::Spaced},
      {DetailLabel::ZoneVac, FieldForm::Spaced},
      {DetailLabel::Latitude, FieldForm::Coordinate},
      {DetailLabel::Longitude, FieldForm::Coordinate}}},
    10,
    {DetailLabel::Commune, DetailLabel::CommuneMin, DetailLabel::Departement, DetailLabel::Region,
     DetailLabel::CodeRegion, DetailLabel::Insee, DetailLabel::Academie, DetailLabel::CodeAca,
     DetailLabel::ZoneVac, DetailLabel::Latitude, DetailLabel::Longitude}};

// Name records: name key and "$", then INSEE number, postal code, département code and name,
// ordinary-case name, région code and name, latitude, longitude, académie name and code, zone.
inline constexpr RecordLayout kNameRecord{
    '$',
    "$",
    false,
    DetailLabel::Commune,
    {{{DetailLabel::Insee, FieldForm::Spaced},
      {DetailLabel::Commune, FieldForm::ThenKey},
      {DetailLabel::Departement, FieldForm::Held},
      {DetailLabel::Departement, FieldForm::AfterHeld},
      {DetailLabel::CommuneMin, FieldForm::AsIs},
      {DetailLabel::CodeRegion, FieldForm::Spaced},
      {DetailLabel::Region, FieldForm::AsIs},
      {DetailLabel::Latitude, FieldForm::Coordinate},
      {DetailLabel::Longitude, FieldForm::Coordinate},
      {DetailLabel::Academie, FieldForm::AsIs},
      {DetailLabel::CodeAca, FieldForm::Spaced},
      {DetailLabel::ZoneVac, FieldForm::Spaced}}},
    12,
    {DetailLabel::Commune, DetailLabel::Insee, DetailLabel::Departement, DetailLabel::CommuneMin,
     DetailLabel::CodeRegion, DetailLabel::Region, DetailLabel::Latitude, DetailLabel::Longitude,
     DetailLabel::Academie, DetailLabel::CodeAca, DetailLabel::ZoneVac}};

// A name record may lead from a former commune or a locality to the commune that holds it: its
// key is the former name, then the current commune's key in brackets, "SEYNOD (ANNECY)", and
// its fields are that commune's.
inline constexpr std::string_view kCurrentCommuneOpen = " (";
inline constexpr char kCurrentCommuneClose = ')';

// The key of the commune a name key stands for: the bracketed one, or the key itself.
constexpr std::string_view CurrentCommuneKey(std::string_view key) {
    const auto open = key.rfind(kCurrentCommuneOpen);
    if (open == std::string_view::npos || !key.ends_with(kCurrentCommuneClose)) return key;
    const auto from = open + kCurrentCommuneOpen.size();
    return key.substr(from, key.size() - 1 - from);
}

// The field of a name record that holds its postal code, counted from 0 after the key.
inline constexpr std::size_t kNamePostalCodeField = 1;

}  // namespace tarvel::data
