// Reads the delivered tables from the source tree, for tests and benchmarks that work on
// the real data without the program's resources.
#include "lookup/testing/delivered_tables.h"

#include <fstream>
#include <iterator>

namespace tarvel::data {

std::string ReadDeliveredTableBytes(const TableFormat& format) {
    std::ifstream file(std::string(TABLE_FOLDER) + "/" + std::string(format.typeName),
                       std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

CommuneTable LoadDeliveredTable(const TableFormat& format) {
    return ParseTable(ReadDeliveredTableBytes(format), format);
}

}  // namespace tarvel::data
