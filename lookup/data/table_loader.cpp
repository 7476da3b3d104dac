// Turns the raw bytes of the two embedded commune tables into their in-memory form,
// refusing a damaged table as a whole.
#include "lookup/data/table_loader.h"

#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "lookup/text/windows1252.h"

namespace tarvel::data {
namespace {

std::string Damaged(const TableFormat& format, std::string_view reason) {
    return "La table " + std::string(format.typeName) + " est endommagée : " + std::string(reason) +
           " Le programme doit être réinstallé.";
}

std::string MissingSeparator(const TableFormat& format, std::size_t record, unsigned char sep) {
    const std::string separator =
        sep == kFieldSeparatorByte ? std::string(kFieldSeparator) : std::string(1, char(sep));
    return Damaged(format, "l'enregistrement " + std::to_string(record) +
                               " n'a pas de séparateur « " + separator + " ».");
}

std::string_view WithoutPadding(std::string_view bytes) {
    const auto end = bytes.find_last_not_of('\0');
    return end == std::string_view::npos ? std::string_view{} : bytes.substr(0, end + 1);
}

// The position of the next CR LF at or after from, or npos.
std::size_t FindLineEnd(std::string_view text, std::size_t from) {
    while (from < text.size()) {
        const void* found = std::memchr(text.data() + from, '\r', text.size() - from);
        if (found == nullptr) return std::string_view::npos;
        const auto at = static_cast<std::size_t>(static_cast<const char*>(found) - text.data());
        if (at + 1 < text.size() && text[at + 1] == '\n') return at;
        from = at + 1;
    }
    return std::string_view::npos;
}

// Decodes the whole table at once, then cuts it into records at CR LF and each record's key
// at its separator.
class TableParser {
  public:
    explicit TableParser(const TableFormat& format)
        : format_(format), keySeparator_(format.layout->keySeparator) {}

    CommuneTable Parse(std::string_view bytes) {
        bytes = WithoutPadding(bytes);
        if (bytes.size() >= std::numeric_limits<std::uint32_t>::max() / 3)
            throw TableError(Damaged(format_, "sa taille est excessive."));
        const std::size_t room = text::DecodedWindows1252Bound(bytes) + text::kDecodeSlack;
        TextBuffer text = AllocateText(room);
        const std::size_t size = text::DecodeWindows1252Into(bytes, text.get());
        entries_.reserve(bytes.size() / 96 + 1);
        const std::string_view all(text.get(), size);
        for (std::size_t start = 0; start < all.size();) {
            const std::size_t end = FindLineEnd(all, start);
            const std::size_t stop = end == std::string_view::npos ? all.size() : end;
            AddRecord(all, start, stop);
            // A table whose text ends with a line break has no record after it.
            start = end == std::string_view::npos ? all.size() : end + 2;
        }
        if (entries_.empty())
            throw TableError(Damaged(format_, "elle ne contient aucune commune."));
        return CommuneTable(std::move(text), size, std::move(entries_));
    }

  private:
    void AddRecord(std::string_view all, std::size_t start, std::size_t stop) {
        const std::string_view record = all.substr(start, stop - start);
        const std::size_t number = entries_.size() + 1;
        const std::size_t key = record.find(keySeparator_);
        if (key == std::string_view::npos)
            throw TableError(MissingSeparator(format_, number, format_.layout->keySeparatorByte));
        if (format_.layout->NeedsFieldSeparator() &&
            record.find(kFieldSeparator, key) == std::string_view::npos)
            throw TableError(MissingSeparator(format_, number, kFieldSeparatorByte));
        entries_.push_back({static_cast<std::uint32_t>(start),
                            static_cast<std::uint32_t>(record.size()),
                            static_cast<std::uint32_t>(key)});
    }

    const TableFormat& format_;
    const std::string_view keySeparator_;  // in UTF-8
    std::vector<CommuneTable::Entry> entries_;
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
