// The texts that the copy and web actions build from the captions of the detail panel.
#include "lookup/ui/actions/commune_texts.h"

#include <array>
#include <cctype>

#include "lookup/text/letter_case.h"
#include "lookup/text/text_routines.h"
#include "lookup/text/utf8.h"

namespace tarvel::actions {
namespace {

using data::DetailLabel;

struct CopyLine {
    std::string_view prefix;
    DetailLabel label;
};

constexpr std::array<CopyLine, data::kDetailLabelCount> kCopyLines{{
    {"Commune: ", DetailLabel::Commune},
    {"Nom minuscule: ", DetailLabel::CommuneMin},
    {"Département: ", DetailLabel::Departement},
    {"Région: ", DetailLabel::Region},
    {"Code région: ", DetailLabel::CodeRegion},
    {"N°INSEE: ", DetailLabel::Insee},
    {"Académie: ", DetailLabel::Academie},
    {"Code académie: ", DetailLabel::CodeAca},
    {"Zone vacances: ", DetailLabel::ZoneVac},
    {"Latitude: ", DetailLabel::Latitude},
    {"Longitude: ", DetailLabel::Longitude},
}};

std::string WithCopiedText(std::string_view sentence, const std::string& copied) {
    return std::string(sentence) + std::string(kLineBreak) + std::string(kLineBreak) + copied;
}

// The first two characters of a text, counted as characters, not bytes.
std::string FirstTwoCharacters(const std::string& text) {
    const std::u32string characters = text::DecodeUtf8(text);
    return text::EncodeUtf8(std::u32string_view(characters).substr(0, 2));
}

}  // namespace

std::string FullCopyText(const data::DetailCaptions& captions) {
    std::string text;
    for (const CopyLine& line : kCopyLines) {
        if (!text.empty()) text += kLineBreak;
        text.append(line.prefix).append(captions[line.label]);
    }
    return text;
}

std::string FullCopyConfirmation(const std::string& copied) {
    return WithCopiedText("Les données on été copiées dans le presse-papier.", copied);
}

std::string NameCopyConfirmation(const std::string& copied) {
    return WithCopiedText("Le nom de commune a été copiée dans le presse-papier.", copied);
}

std::string DirectoryAddress(const std::string& communeMin, const std::string& departement) {
    const std::string lower = text::ToLowerFrench(communeMin);
    const int length = static_cast<int>(text::CountCharacters(lower));
    const std::string slug = text::ChangeEspaceTiret(text::SubAccents(lower, length), " ", "-");
    return std::string(kDirectoryBase) + FirstTwoCharacters(departement) + "/" + slug;
}

namespace {

// Every byte but the unreserved characters of RFC 3986 as %XX.
std::string PercentEncoded(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) != 0 && byte < 0x80) {
            encoded += c;
        } else if (c == '-' || c == '.' || c == '_' || c == '~') {
            encoded += c;
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0xF];
        }
    }
    return encoded;
}

}  // namespace

std::string MapSearchAddress(const std::string& communeMin, const std::string& commune) {
    const std::string postalCode = commune.substr(0, commune.find(' '));
    return std::string(kMapsBase) +
           "/maps/search/?api=1&query=" + PercentEncoded(communeMin + " " + postalCode);
}

std::string MapAddress(const std::string& latitude, const std::string& longitude) {
    return std::string(kMapsBase) + "/maps/dir//%20%20+%20%20" + latitude + "%20%20+%20%20,%20%20" +
           longitude;
}

}  // namespace tarvel::actions
