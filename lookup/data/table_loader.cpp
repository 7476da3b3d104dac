// Turns the raw bytes of the two embedded commune tables into their in-memory form,
// refusing a damaged table as a whole.
#include "lookup/data/table_loader.h"

#include <array>
#include <limits>
#include <string>
#include <vector>

#include "lookup/data/windows1252.h"

namespace tarvel::data {
namespace {

constexpr unsigned char kFieldSeparator = 0xA7;

std::string Damaged(const TableFormat& format, std::string_view reason) {
    return "La table " + std::string(format.typeName) + " est endommagée : " +
           std::string(reason) + " Le programme doit être réinstallé.";
}

std::string MissingSeparator(const TableFormat& format, std::size_t record, unsigned char sep) {
    const std::string separator = sep == kFieldSeparator ? "§" : std::string(1, char(sep));
    return Damaged(format, "l'enregistrement " + std::to_string(record) +
                               " n'a pas de séparateur « " + separator + " ».");
}

std::string_view WithoutPadding(std::string_view bytes) {
    const auto end = bytes.find_last_not_of('\0');
    return end == std::string_view::npos ? std::string_view{} : bytes.substr(0, end + 1);
}

// Walks the records of one table, decoding into a buffer sized exactly beforehand.
class TableParser {
public:
    explicit TableParser(const TableFormat& format) : format_(format) {
        for (int byte = 0x80; byte < 0x100; ++byte) special_[byte] = true;
        special_['\r'] = special_[format.keySeparator] = true;
    }

    CommuneTable Parse(std::string_view bytes) {
        bytes = WithoutPadding(bytes);
        if (bytes.size() >= std::numeric_limits<std::uint32_t>::max() / 3)
            throw TableError(Damaged(format_, "sa taille est excessive."));
        text_.resize(DecodedWindows1252Size(bytes));
        out_ = text_.data();
        entries_.reserve(bytes.size() / 96);
        const auto* byte = reinterpret_cast<const unsigned char*>(bytes.data());
        const auto* const end = byte + bytes.size();
        for (; byte != end; ++byte) {
            if (!special_[*byte]) {  // plain ASCII, by far the most frequent
                *out_++ = static_cast<char>(*byte);
                continue;
            }
            if (*byte == '\r' && byte + 1 != end && byte[1] == '\n') {
                EndRecord();
                ++byte;
                continue;
            }
            if (*byte == format_.keySeparator || *byte == kFieldSeparator) Note(*byte);
            out_ = WriteWindows1252(*byte, out_);
        }
        // A table whose text ends with a line break has no record after it.
        if (Written() > recordStart_) EndRecord();
        if (entries_.empty()) throw TableError(Damaged(format_, "elle ne contient aucune commune."));
        text_.resize(Written());  // drop the room that the line breaks did not use
        return CommuneTable(std::move(text_), std::move(entries_));
    }

private:
    std::uint32_t Written() const { return static_cast<std::uint32_t>(out_ - text_.data()); }

    void Note(unsigned char byte) {
        if (!keyEnded_ && byte == format_.keySeparator) {
            keyEnded_ = true;
            keyLength_ = Written() - recordStart_;
        } else if (keyEnded_ && byte == kFieldSeparator) {
            sawFieldAfterKey_ = true;
        }
    }

    void EndRecord() {
        const std::size_t number = entries_.size() + 1;
        if (!keyEnded_) throw TableError(MissingSeparator(format_, number, format_.keySeparator));
        if (format_.needsFieldSeparator && !sawFieldAfterKey_)
            throw TableError(MissingSeparator(format_, number, kFieldSeparator));
        entries_.push_back({recordStart_, Written() - recordStart_, keyLength_});
        recordStart_ = Written();
        keyEnded_ = sawFieldAfterKey_ = false;
    }

    const TableFormat& format_;
    std::array<bool, 256> special_{};  // bytes that need more than a copy
    std::string text_;
    char* out_ = nullptr;
    std::vector<CommuneTable::Entry> entries_;
    std::uint32_t recordStart_ = 0;
    std::uint32_t keyLength_ = 0;
    bool keyEnded_ = false;
    bool sawFieldAfterKey_ = false;
};

}  // namespace

CommuneTable ParseTable(std::string_view bytes, const TableFormat& format) {
    return TableParser(format).Parse(bytes);
}

CommuneTable LoadTable(const ResourceReader& resources, const TableFormat& format) {
    const std::optional<std::string_view> bytes = resources(format.resourceId, format.typeName);
    if (!bytes) {
        throw TableError("La table " + std::string(format.typeName) +
                         " est introuvable dans le programme. Le programme doit être réinstallé.");
    }
    return ParseTable(*bytes, format);
}

}  // namespace tarvel::data
