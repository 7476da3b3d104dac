// Turns the raw bytes of the two embedded commune tables into their in-memory form,
// refusing a damaged table as a whole.
#pragma once

#include <functional>
#include <optional>
#include <stdexcept>
#include <string_view>

#include "lookup/data/commune_table.h"
#include "lookup/data/record_layout.h"

namespace tarvel::data {

// Where a table lives among the program's resources and how its key ends.
struct TableFormat {
    int resourceId;
    std::string_view typeName;
    const RecordLayout* layout;
};

inline constexpr TableFormat kPostalCodeTable{200, "LISTEPARCP", &kPostalRecord};
inline constexpr TableFormat kNameTable{201, "LISTEPARNOM", &kNameRecord};

// A table that cannot be read or holds a malformed record. what() is a French sentence
// fit for a message box.
class TableError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Gives the raw bytes of a custom resource of the program by id and type name, or nothing
// when there is no such resource.
using ResourceReader = std::function<std::optional<std::string_view>(int, std::string_view)>;

// Decodes the bytes, drops the trailing NUL padding, splits at CR LF and cuts each key, in
// one pass. Throws TableError when a record lacks its separator or the table is empty.
CommuneTable ParseTable(std::string_view bytes, const TableFormat& format);

// Reads the table's resource and parses it. Throws TableError when the resource is missing.
CommuneTable LoadTable(const ResourceReader& resources, const TableFormat& format);

}  // namespace tarvel::data
