// Parsing of small hand-made tables: splitting, padding, keys, and damaged tables.
#include "lookup/data/table_loader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <string>

using namespace std::literals;

namespace tarvel::data {
namespace {

using ::testing::HasSubstr;

TEST(TableParsing, SplitsRecordsAndCutsPostalKeys) {
    const CommuneTable table = ParseTable(
        "01000 A\xA7"
        "A\xE9\xA7x\r\n01000 B\xA7"
        "B\xA7y\0\0\0"sv,
        kPostalCodeTable);
    ASSERT_EQ(table.Count(), 2u);
    EXPECT_EQ(table.Record(0), "01000 A§Aé§x");
    EXPECT_EQ(table.Key(0), "01000 A");
    // The last record has no line break and none of the padding.
    EXPECT_EQ(table.Record(1), "01000 B§B§y");
    EXPECT_EQ(table.Key(1), "01000 B");
}

TEST(TableParsing, ASmallTableTakesLittleMemoryAndCopiesWhole) {
    const CommuneTable table = ParseTable("01000 A\xA7x\r\n01001 B\xA7y", kPostalCodeTable);
    EXPECT_LT(table.MemoryBytes(), 4096u);  // no huge page for a few bytes
    const CommuneTable copy = table;
    EXPECT_EQ(copy.Record(1), table.Record(1));
    EXPECT_EQ(copy.Key(0), "01000 A");
}

TEST(TableParsing, NameTableEndingWithLineBreakHasNoEmptyRecord) {
    const CommuneTable table = ParseTable(
        "AAST$64001\xA7"
        "64460\r\nY$80829\xA7"
        "80200\r\n\0"sv,
        kNameTable);
    ASSERT_EQ(table.Count(), 2u);
    EXPECT_EQ(table.Key(0), "AAST");
    EXPECT_EQ(table.Key(1), "Y");
    EXPECT_EQ(table.Record(1), "Y$80829§80200");
}

TEST(TableParsing, KeyEndsAtTheFirstSeparatorOnly) {
    const CommuneTable table = ParseTable(
        "A B$1\xA7"
        "2$3\xA7"
        "4",
        kNameTable);
    EXPECT_EQ(table.Key(0), "A B");
    EXPECT_EQ(table.Record(0), "A B$1§2$3§4");
}

TEST(TableParsing, LoneCarriageReturnOrLineFeedStaysInsideARecord) {
    const CommuneTable table = ParseTable(
        "K\xA7"
        "a\rb\nc",
        kPostalCodeTable);
    ASSERT_EQ(table.Count(), 1u);
    EXPECT_EQ(table.Record(0), "K§a\rb\nc");
}

TEST(TableParsing, DuplicateKeysAreKeptInTableOrder) {
    const CommuneTable table = ParseTable(
        "62760 THIEVRES\xA7"
        "1\r\n62760 THIEVRES\xA7"
        "2",
        kPostalCodeTable);
    ASSERT_EQ(table.Count(), 2u);
    EXPECT_EQ(table.Record(0), "62760 THIEVRES§1");
    EXPECT_EQ(table.Record(1), "62760 THIEVRES§2");
}

struct DamagedCase {
    std::string name;
    std::string bytes;
    const TableFormat* format;
    std::string expected;
};

class DamagedTable : public ::testing::TestWithParam<DamagedCase> {};

TEST_P(DamagedTable, IsRefusedWithAFrenchReason) {
    const DamagedCase& c = GetParam();
    try {
        ParseTable(c.bytes, *c.format);
        FAIL() << "accepted a damaged table";
    } catch (const TableError& e) {
        EXPECT_THAT(e.what(), HasSubstr("La table " + std::string(c.format->typeName)));
        EXPECT_THAT(e.what(), HasSubstr(c.expected));
    }
}

INSTANTIATE_TEST_SUITE_P(
    TableParsing, DamagedTable,
    ::testing::Values(DamagedCase{"PostalRecordWithoutField", "A\xA7x\r\nB only", &kPostalCodeTable,
                                  "l'enregistrement 2 n'a pas de séparateur « § »"},
                      DamagedCase{"NameRecordWithoutDollar", "A\xA7x", &kNameTable,
                                  "l'enregistrement 1 n'a pas de séparateur « $ »"},
                      DamagedCase{"NameRecordWithoutField", "A$1\r\n", &kNameTable,
                                  "l'enregistrement 1 n'a pas de séparateur « § »"},
                      DamagedCase{"EmptyLineInTheMiddle", "A\xA7x\r\n\r\nB\xA7y", &kPostalCodeTable,
                                  "l'enregistrement 2"},
                      DamagedCase{"OnlyPadding", std::string("\0\0\0\0", 4), &kNameTable,
                                  "aucune commune"},
                      DamagedCase{"Empty", "", &kPostalCodeTable, "aucune commune"}),
    [](const auto& info) { return info.param.name; });

TEST(TableLoading, ReadsTheTableResourceByIdAndType) {
    std::map<std::pair<int, std::string>, std::string> resources{
        {{200, "LISTEPARCP"}, "01000 A\xA7x"}};
    const ResourceReader reader = [&](int id,
                                      std::string_view type) -> std::optional<std::string_view> {
        const auto it = resources.find({id, std::string(type)});
        if (it == resources.end()) return std::nullopt;
        return it->second;
    };
    EXPECT_EQ(LoadTable(reader, kPostalCodeTable).Key(0), "01000 A");
    try {
        LoadTable(reader, kNameTable);
        FAIL() << "loaded a missing table";
    } catch (const TableError& e) {
        EXPECT_THAT(e.what(), HasSubstr("La table LISTEPARNOM est introuvable"));
    }
}

}  // namespace
}  // namespace tarvel::data
