// The captions of the eleven value labels of the detail panel, cut from one record.
#include "lookup/data/detail_captions.h"

namespace tarvel::data {
namespace {

// Cuts a record from the left: each field is the text before the next separator, the last
// one what remains. A record short of separators yields empty fields, never a failure.
class FieldCutter {
  public:
    explicit FieldCutter(std::string_view record) : rest_(record) {}

    std::string_view Next(std::string_view separator = kFieldSeparator) {
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

void Set(DetailCaptions& captions, DetailLabel label, std::string text) {
    captions.text[static_cast<std::size_t>(label)] = std::move(text);
}

}  // namespace

DetailCaptions CaptionsOf(std::string_view record, const RecordLayout& layout) {
    DetailCaptions captions{{}, layout.writeOrder};
    FieldCutter cut(record);
    const std::string_view key = cut.Next(layout.keySeparator);
    if (layout.keyIsCaption) Set(captions, layout.keyLabel, std::string(key));
    std::string_view held;
    for (std::size_t i = 0; i < layout.fieldCount; ++i) {
        const FieldRule& rule = layout.fields[i];
        const std::string_view field = i + 1 == layout.fieldCount ? cut.Rest() : cut.Next();
        switch (rule.form) {
            case FieldForm::AsIs:
                Set(captions, rule.label, std::string(field));
                break;
            case FieldForm::Spaced:
                Set(captions, rule.label, Spaced(field));
                break;
            case FieldForm::ThenKey:
                Set(captions, rule.label, Joined(field, CurrentCommuneKey(key)));
                break;
            case FieldForm::Held:
                held = field;
                break;
            case FieldForm::AfterHeld:
                Set(captions, rule.label, Joined(held, field));
                break;
            case FieldForm::Coordinate:
                Set(captions, rule.label, field == kMissingValue ? "" : std::string(field));
                break;
        }
    }
    return captions;
}

// Run at every line of a name search: the separators are looked for byte by byte, which for
// the few bytes before them is quicker than a library search. The key and the fields before
// the postal code hold no separator.
std::string_view PostalCodeOfNameRecord(std::string_view record) {
    constexpr std::string_view kField = kFieldSeparator;
    const auto separatorFrom = [&](std::size_t from) {
        for (std::size_t i = from; i + kField.size() <= record.size(); ++i)
            if (record[i] == kField[0] && record[i + 1] == kField[1]) return i;
        return std::string_view::npos;
    };
    std::size_t start = 0;
    for (std::size_t field = 0; field < kNamePostalCodeField; ++field) {
        const std::size_t separator = separatorFrom(start);
        if (separator == std::string_view::npos) return {};
        start = separator + kField.size();
    }
    const std::size_t end = separatorFrom(start);
    return record.substr(start,
                         end == std::string_view::npos ? std::string_view::npos : end - start);
}

}  // namespace tarvel::data
