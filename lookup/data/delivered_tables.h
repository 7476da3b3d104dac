// Reads the delivered tables from the source tree, for tests and benchmarks that work on
// the real data without the program's resources.
#pragma once

#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "lookup/data/table_loader.h"

namespace tarvel::data {

inline std::string ReadDeliveredTableBytes(const TableFormat& format) {
    std::ifstream file(std::string(TABLE_FOLDER) + "/" + std::string(format.typeName),
                       std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

inline CommuneTable LoadDeliveredTable(const TableFormat& format) {
    return ParseTable(ReadDeliveredTableBytes(format), format);
}

// A test fixture that loads both delivered tables once for its whole suite.
template <typename Base>
class WithDeliveredTables : public Base {
  protected:
    static void SetUpTestSuite() {
        postal_ = std::make_unique<CommuneTable>(LoadDeliveredTable(kPostalCodeTable));
        names_ = std::make_unique<CommuneTable>(LoadDeliveredTable(kNameTable));
    }
    static void TearDownTestSuite() {
        postal_.reset();
        names_.reset();
    }
    static inline std::unique_ptr<CommuneTable> postal_;
    static inline std::unique_ptr<CommuneTable> names_;
};

}  // namespace tarvel::data
