// Both searches on the delivered tables and on small tables with odd cases: lines, records
// behind the lines, first match, status texts.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <tuple>

#include "lookup/search/name_search.h"
#include "lookup/search/postal_search.h"
#include "lookup/testing/delivered_tables.h"
#include "prefix_matches.h"

namespace tarvel::search {
namespace {

using data::DetailCaptions;
using data::DetailLabel;

using data::CommuneTable;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

std::vector<std::string> Lines(const SearchResult& result) {
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < result.lines.size(); ++i) lines.emplace_back(result.lines[i]);
    return lines;
}

void ExpectEmpty(const SearchResult& result) {
    EXPECT_TRUE(result.lines.empty());
    EXPECT_TRUE(result.lines.Records().empty());
    EXPECT_FALSE(result.firstMatch);
    EXPECT_EQ(result.status, "");
}

class Searches : public data::WithDeliveredTables<::testing::Test> {};

TEST_F(Searches, PostalCodeListsMatchesInTableOrder) {
    const SearchResult r = SearchByPostalCode(*postal_, "01000");
    EXPECT_THAT(Lines(r), ElementsAre("01000 BOURG EN BRESSE", "01000 ST DENIS LES BOURG"));
    EXPECT_THAT(r.lines.Records(), ElementsAre(0u, 1u));
    EXPECT_EQ(r.status, "2 communes trouvées.");
    ASSERT_TRUE(r.firstMatch);
    EXPECT_EQ((*r.firstMatch)[DetailLabel::CommuneMin], "Bourg-en-Bresse");
    EXPECT_EQ((*r.firstMatch)[DetailLabel::Insee], " 01053");

    EXPECT_EQ(SearchByPostalCode(*postal_, "010").status, "8 communes trouvées.");
    const SearchResult paris = SearchByPostalCode(*postal_, "750");
    ASSERT_EQ(paris.lines.size(), 20u);
    EXPECT_EQ(paris.lines[0], "75001 PARIS 01");
    EXPECT_EQ(paris.lines[19], "75020 PARIS 20");
    EXPECT_EQ(SearchByPostalCode(*postal_, "75001").status, "Une commune a ce code postal.");
}

TEST_F(Searches, PostalCodeFindsTheLastRecord) {
    const SearchResult r = SearchByPostalCode(*postal_, "98890");
    EXPECT_THAT(Lines(r), ElementsAre("98890 PAITA"));
    EXPECT_THAT(r.lines.Records(), ElementsAre(postal_->Count() - 1));
}

TEST_F(Searches, PostalCodeWithoutMatchOrTooShort) {
    for (const char* typed : {"99999", "abc", "é1x"}) {
        const SearchResult r = SearchByPostalCode(*postal_, typed);
        EXPECT_TRUE(r.lines.empty()) << typed;
        EXPECT_FALSE(r.firstMatch) << typed;
        EXPECT_EQ(r.status, "Ce code postal est inexistant.") << typed;
    }
    for (const char* typed : {"", "0", "01", "é1"})
        ExpectEmpty(SearchByPostalCode(*postal_, typed));
}

TEST_F(Searches, NameListsPostalCodeAndKey) {
    const SearchResult aast = SearchByName(*names_, "AAST");
    EXPECT_THAT(Lines(aast), ElementsAre("64460 AAST"));
    EXPECT_EQ(aast.status, "Une commune trouvée.");
    EXPECT_EQ((*aast.firstMatch)[DetailLabel::CommuneMin], "Aast");

    const SearchResult st = SearchByName(*names_, "ST");
    EXPECT_EQ(st.lines[0], "22400 ST AARON (LAMBALLE ARMOR)");
    EXPECT_EQ(st.status, std::to_string(st.lines.size()) + " communes trouvées.");
    EXPECT_GT(st.lines.size(), 3900u);
}

// The lines whose key begins with a prefix, in table order: what a search lists for it.
std::vector<std::string> KeysBeginning(const CommuneTable& table, std::string_view prefix) {
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < table.Count(); ++i) {
        if (!table.Key(i).starts_with(prefix)) continue;
        lines.push_back(std::string(data::PostalCodeOfNameRecord(table.Record(i))) + " " +
                        std::string(table.Key(i)));
    }
    return lines;
}

std::vector<std::string> Joined(std::initializer_list<std::vector<std::string>> groups) {
    std::vector<std::string> all;
    for (const auto& group : groups) all.insert(all.end(), group.begin(), group.end());
    return all;
}

// La Poste writes ST and STE: whole words SAINT and SAINTE find them, and a last word on its
// way to either lists its own matches first, then the ST and STE names.
TEST_F(Searches, SaintAndSainteFindLaPostesStAndSte) {
    const SearchResult luz = SearchByName(*names_, "SAINT JEAN DE LUZ");
    EXPECT_THAT(Lines(luz), ElementsAre("64500 ST JEAN DE LUZ"));
    EXPECT_EQ(Lines(SearchByName(*names_, "SAINTE MERE E")), KeysBeginning(*names_, "STE MERE E"));
    EXPECT_EQ(Lines(SearchByName(*names_, "SAINT ")), KeysBeginning(*names_, "ST "));

    const auto st = KeysBeginning(*names_, "ST ");
    const auto ste = KeysBeginning(*names_, "STE ");
    EXPECT_EQ(Lines(SearchByName(*names_, "SAIN")),
              Joined({KeysBeginning(*names_, "SAIN"), st, ste}));
    const SearchResult saint = SearchByName(*names_, "SAINT");
    EXPECT_EQ(Lines(saint), Joined({KeysBeginning(*names_, "SAINT"), st, ste}));
    EXPECT_EQ(saint.lines[0], "69125 SAINT EXUPERY AEROPORT (COLOMBIER SAUGNIEU)");
    EXPECT_EQ(saint.status, std::to_string(saint.lines.size()) + " communes trouvées.");
    EXPECT_EQ(Lines(SearchByName(*names_, "SAINTE")),
              Joined({KeysBeginning(*names_, "SAINTE"), ste}));
    // Shorter starts, and words that only contain SAINT, search as they are.
    EXPECT_EQ(Lines(SearchByName(*names_, "SA")), KeysBeginning(*names_, "SA"));
    EXPECT_EQ(Lines(SearchByName(*names_, "SAINTES")), KeysBeginning(*names_, "SAINTES"));
    EXPECT_EQ(Lines(SearchByName(*names_, "LA SAIN")),
              Joined({KeysBeginning(*names_, "LA SAIN"), KeysBeginning(*names_, "LA ST "),
                      KeysBeginning(*names_, "LA STE ")}));
}

TEST_F(Searches, NameKeepsEveryPostalCodeOfADistrict) {
    const SearchResult r = SearchByName(*names_, "PARIS 1");
    EXPECT_THAT(Lines(r),
                ElementsAre("75010 PARIS 10", "75011 PARIS 11", "75012 PARIS 12", "75013 PARIS 13",
                            "75014 PARIS 14", "75015 PARIS 15", "75016 PARIS 16", "75116 PARIS 16",
                            "75017 PARIS 17", "75018 PARIS 18", "75019 PARIS 19"));
    // Each of the two PARIS 16 lines keeps its own record.
    EXPECT_EQ(data::PostalCodeOfNameRecord(names_->Record(r.lines.Record(6))), "75016");
    EXPECT_EQ(data::PostalCodeOfNameRecord(names_->Record(r.lines.Record(7))), "75116");
}

TEST_F(Searches, NameFindsTheLastRecordAndReportsNoMatch) {
    const SearchResult last = SearchByName(*names_, "ZUYTPEENE");
    EXPECT_THAT(Lines(last), ElementsAre("59670 ZUYTPEENE"));
    EXPECT_THAT(last.lines.Records(), ElementsAre(names_->Count() - 1));

    const SearchResult none = SearchByName(*names_, "ZZ");
    EXPECT_TRUE(none.lines.empty());
    EXPECT_EQ(none.status, "Aucun nom de commune n'a été trouvé.");
    for (const char* typed : {"", "Y"}) ExpectEmpty(SearchByName(*names_, typed));
}

// Each commune has one name record that gives its postal record's captions; each former
// commune or locality gives the captions of the commune that holds it.
TEST_F(Searches, BothTablesGiveTheSameCaptionsForEveryCommune) {
    using Identity = std::tuple<std::string, std::string, std::string>;
    const auto identity = [](const DetailCaptions& c) {
        return Identity{c[DetailLabel::Commune], c[DetailLabel::Insee],
                        c[DetailLabel::Departement]};
    };
    std::map<Identity, DetailCaptions> byIdentity;
    for (std::size_t i = 0; i < postal_->Count(); ++i) {
        const DetailCaptions c = data::CaptionsOfPostalRecord(postal_->Record(i));
        byIdentity.emplace(identity(c), c);
    }
    ASSERT_EQ(byIdentity.size(), postal_->Count());
    std::set<Identity> ownRecords;
    std::size_t formerRecords = 0;
    for (std::size_t i = 0; i < names_->Count(); ++i) {
        const DetailCaptions c = data::CaptionsOfNameRecord(names_->Record(i));
        const auto found = byIdentity.find(identity(c));
        ASSERT_NE(found, byIdentity.end()) << names_->Record(i);
        ASSERT_EQ(c.text, found->second.text) << names_->Record(i);
        if (data::CurrentCommuneKey(names_->Key(i)) == names_->Key(i))
            ASSERT_TRUE(ownRecords.insert(found->first).second) << names_->Record(i);
        else
            ++formerRecords;
    }
    EXPECT_EQ(ownRecords.size(), postal_->Count());
    EXPECT_GT(formerRecords, 4500u);
}

// Former communes named by La Poste or only by the COG, and a code that a delegated commune
// kept: each line leads to the current commune, under the former commune's postal code.
TEST_F(Searches, FormerCommunesLeadToTheCommuneThatHoldsThem) {
    EXPECT_THAT(Lines(SearchByName(*names_, "OCTEVILLE")),
                ElementsAre("50130 OCTEVILLE (CHERBOURG EN COTENTIN)", "50630 OCTEVILLE L AVENEL",
                            "76930 OCTEVILLE SUR MER"));
    const SearchResult seynod = SearchByName(*names_, "SEYNOD");
    EXPECT_THAT(Lines(seynod), ElementsAre("74600 SEYNOD (ANNECY)"));
    EXPECT_EQ((*seynod.firstMatch)[DetailLabel::Commune], "74600 ANNECY");
    EXPECT_EQ((*seynod.firstMatch)[DetailLabel::CommuneMin], "Annecy");
    EXPECT_EQ((*seynod.firstMatch)[DetailLabel::Insee], " 74010");
    EXPECT_THAT(Lines(SearchByName(*names_, "TREFFORT")),
                ElementsAre("38650 TREFFORT", "01370 TREFFORT (VAL REVERMONT)",
                            "01370 TREFFORT CUISIAT (VAL REVERMONT)"));
    const SearchResult champtoceaux = SearchByName(*names_, "CHAMPTOCEAUX");
    EXPECT_THAT(Lines(champtoceaux), ElementsAre("49270 CHAMPTOCEAUX (OREE D ANJOU)"));
    EXPECT_EQ((*champtoceaux.firstMatch)[DetailLabel::CommuneMin], "Orée d'Anjou");
    EXPECT_EQ((*champtoceaux.firstMatch)[DetailLabel::Insee], " 49126");
}

TEST(SearchesOnSmallTables, DuplicateLinesKeepTheirOwnRecords) {
    const CommuneTable table = data::ParseTable(
        "62760 AMPLIER\xA7"
        "a\r\n62760 THIEVRES\xA7"
        "b\r\n62760 THIEVRES\xA7"
        "c",
        data::kPostalCodeTable);
    const SearchResult r = SearchByPostalCode(table, "62760");
    EXPECT_THAT(Lines(r), ElementsAre("62760 AMPLIER", "62760 THIEVRES", "62760 THIEVRES"));
    EXPECT_THAT(r.lines.Records(), ElementsAre(0u, 1u, 2u));
    EXPECT_EQ((*r.firstMatch)[DetailLabel::CommuneMin], "a");
}

TEST(SearchesOnSmallTables, UnsortedTablesAreScannedWhole) {
    const CommuneTable table = data::ParseTable(
        "ST B$2\xA7"
        "02000\r\nAAST$1\xA7"
        "01000\r\nST A$3\xA7"
        "03000\r\nST$4\xA7"
        "04000\r\n",
        data::kNameTable);
    const SearchResult r = SearchByName(table, "ST ");
    EXPECT_THAT(Lines(r), ElementsAre("02000 ST B", "03000 ST A"));
    EXPECT_THAT(r.lines.Records(), ElementsAre(0u, 2u));
    EXPECT_EQ(SearchByName(table, "st").status, "3 communes trouvées.");
}

// Every prefix of length 1 to 5 of every key of both delivered tables finds, by binary search,
// exactly the records a scan of every key finds, in the same order.
TEST(PrefixMatches, BinarySearchFindsWhatAScanFinds) {
    for (const auto& format : {data::kPostalCodeTable, data::kNameTable}) {
        const CommuneTable table = data::LoadDeliveredTable(format);
        ASSERT_TRUE(table.KeysAscending()) << format.typeName;
        for (std::size_t length = 1; length <= 5; ++length) {
            std::map<std::string, std::vector<std::size_t>> scanned;
            for (std::size_t i = 0; i < table.Count(); ++i) {
                const std::string_view key = table.Key(i);
                if (key.size() >= length) scanned[std::string(key.substr(0, length))].push_back(i);
            }
            for (const auto& [prefix, expected] : scanned) {
                std::vector<std::size_t> found;
                ForEachKeyWithPrefix(table, prefix,
                                     [&](std::size_t i, std::string_view) { found.push_back(i); });
                ASSERT_EQ(found, expected) << format.typeName << " '" << prefix << "'";
            }
            std::vector<std::size_t> none;
            ForEachKeyWithPrefix(table, std::string(length, '\x7F'),
                                 [&](std::size_t i, std::string_view) { none.push_back(i); });
            EXPECT_TRUE(none.empty());
        }
    }
}

}  // namespace
}  // namespace tarvel::search
