// Loading the delivered tables: both load whole, first and last records, memory budget.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

#include "lookup/testing/delivered_tables.h"

namespace tarvel::data {
namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

std::size_t FieldCount(std::string_view record) {
    std::size_t count = 1;
    for (auto at = record.find("§"); at != std::string_view::npos; at = record.find("§", at + 1))
        ++count;
    return count;
}

class DeliveredTables : public WithDeliveredTables<::testing::Test> {};

// The name table holds every commune and, besides, the former communes and localities.
TEST_F(DeliveredTables, TheNameTableHoldsEveryCommuneAndTheFormerOnes) {
    EXPECT_GT(postal_->Count(), 35000u);
    std::size_t former = 0;
    for (std::size_t i = 0; i < names_->Count(); ++i)
        former += CurrentCommuneKey(names_->Key(i)) != names_->Key(i) ? 1 : 0;
    EXPECT_GT(former, 4500u);
    EXPECT_EQ(names_->Count(), postal_->Count() + former);
}

TEST_F(DeliveredTables, FirstRecordsAndKeys) {
    EXPECT_EQ(postal_->Key(0), "01000 BOURG EN BRESSE");
    EXPECT_THAT(postal_->Record(0),
                StartsWith("01000 BOURG EN BRESSE§Bourg-en-Bresse§01 Ain§Auvergne-Rhône-Alpes§84"
                           "§01053§Lyon§10§A§"));
    EXPECT_EQ(names_->Key(0), "AAST");
    EXPECT_THAT(names_->Record(0), StartsWith("AAST$64001§64460§64§Pyrénées-Atlantiques§Aast§75"));
}

TEST_F(DeliveredTables, LastRecordsLoadWhole) {
    const std::string_view lastPostal = postal_->Record(postal_->Count() - 1);
    EXPECT_EQ(postal_->Key(postal_->Count() - 1), "98890 PAITA");
    EXPECT_THAT(lastPostal, Not(HasSubstr(std::string(1, '\0'))));
    EXPECT_EQ(FieldCount(lastPostal), 11u);
    EXPECT_THAT(lastPostal, Not(EndsWith("\r\n")));

    const std::string_view lastName = names_->Record(names_->Count() - 1);
    EXPECT_THAT(lastName, StartsWith("ZUYTPEENE$59669§59670§59§Nord§Zuytpeene§32"));
    EXPECT_THAT(lastName, EndsWith("§Lille§09§B"));
    EXPECT_EQ(FieldCount(lastName), 12u);
}

TEST_F(DeliveredTables, MemoryStaysWithinTwiceTheTableBytes) {
    const std::size_t tableBytes = ReadDeliveredTableBytes(kPostalCodeTable).size() +
                                   ReadDeliveredTableBytes(kNameTable).size();
    EXPECT_LE(postal_->MemoryBytes() + names_->MemoryBytes(), 2 * tableBytes);
}

}  // namespace
}  // namespace tarvel::data
