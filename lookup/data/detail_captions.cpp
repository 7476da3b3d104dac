// The captions of the eleven value labels of the detail panel, cut from one record.
#include "lookup/data/detail_captions.h"

namespace tarvel::data {
namespace {

constexpr std::string_view kField = "§";
constexpr std::string_view kNameKeyEnd = "$";

// Cuts a record from the left: each field is the text before the next separator, the last
// one what remains. A record short of separators yields empty fields, never a failure.
class FieldCutter {
  public:
    explicit FieldCutter(std::string_view record) : rest_(record) {}

    std::string_view Next(std::string_view separator = kField) {
        const auto at = rest_.find(separator);
        const std::string_view field = rest_.substr(0, at);
        rest_ =
            at == std::string_view::npos ? std::string_view{} : rest_.substr(at + separator.size());
        return field;
    }
    std::string_view Rest() const { return rest_; }

  private:
    std::string_view rest_;
};

std::string Spaced(std::string_view field) {
    return " " + std::string(field);
}

std::string Joined(std::string_view a, std::string_view b) {
    return std::string(a) + " " + std::string(b);
}

using L = DetailLabel;

void Set(DetailCaptions& captions, L label, std::string text) {
    captions.text[static_cast<std::size_t>(label)] = std::move(text);
}

}  // namespace

DetailCaptions CaptionsOfPostalRecord(std::string_view record) {
    DetailCaptions c{{},
                     {L::Commune, L::CommuneMin, L::Departement, L::Region, L::CodeRegion, L::Insee,
                      L::Academie, L::CodeAca, L::ZoneVac, L::Latitude, L::Longitude}};
    FieldCutter cut(record);
    Set(c, L::Commune, std::string(cut.Next()));
    Set(c, L::CommuneMin, std::string(cut.Next()));
    Set(c, L::Departement, std::string(cut.Next()));
    Set(c, L::Region, std::string(cut.Next()));
    Set(c, L::CodeRegion, Spaced(cut.Next()));
    Set(c, L::Insee, Spaced(cut.Next()));
    Set(c, L::Academie, std::string(cut.Next()));
    Set(c, L::CodeAca, Spaced(cut.Next()));
    Set(c, L::ZoneVac, Spaced(cut.Next()));
    Set(c, L::Latitude, std::string(cut.Next()));
    Set(c, L::Longitude, std::string(cut.Rest()));
    return c;
}

DetailCaptions CaptionsOfNameRecord(std::string_view record) {
    DetailCaptions c{{},
                     {L::Commune, L::Insee, L::Departement, L::CommuneMin, L::CodeRegion, L::Region,
                      L::Latitude, L::Longitude, L::Academie, L::CodeAca, L::ZoneVac}};
    FieldCutter cut(record);
    const std::string_view nameKey = cut.Next(kNameKeyEnd);
    Set(c, L::Insee, Spaced(cut.Next()));
    Set(c, L::Commune, Joined(cut.Next(), nameKey));
    const std::string_view departementCode = cut.Next();
    Set(c, L::Departement, Joined(departementCode, cut.Next()));
    Set(c, L::CommuneMin, std::string(cut.Next()));
    Set(c, L::CodeRegion, Spaced(cut.Next()));
    Set(c, L::Region, std::string(cut.Next()));
    Set(c, L::Latitude, std::string(cut.Next()));
    Set(c, L::Longitude, std::string(cut.Next()));
    Set(c, L::Academie, std::string(cut.Next()));
    Set(c, L::CodeAca, Spaced(cut.Next()));
    Set(c, L::ZoneVac, Spaced(cut.Rest()));
    return c;
}

// Run at every line of a name search: the two separators are looked for byte by byte, which
// for the few bytes before them is quicker than a library search.
std::string_view PostalCodeOfNameRecord(std::string_view record) {
    const auto separatorFrom = [&](std::size_t from) {
        for (std::size_t i = from; i + kField.size() <= record.size(); ++i)
            if (record[i] == kField[0] && record[i + 1] == kField[1]) return i;
        return std::string_view::npos;
    };
    const std::size_t first = separatorFrom(0);
    if (first == std::string_view::npos) return {};
    const std::size_t start = first + kField.size();
    const std::size_t second = separatorFrom(start);
    return record.substr(
        start, second == std::string_view::npos ? std::string_view::npos : second - start);
}

}  // namespace tarvel::data
