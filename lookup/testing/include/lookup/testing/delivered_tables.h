// Reads the delivered tables from the source tree, for tests and benchmarks that work on
// the real data without the program's resources.
#pragma once

#include <memory>
#include <string>

#include "lookup/data/table_loader.h"

namespace tarvel::data {

// The raw bytes of a delivered table file.
std::string ReadDeliveredTableBytes(const TableFormat& format);
CommuneTable LoadDeliveredTable(const TableFormat& format);

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
