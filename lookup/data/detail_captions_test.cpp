// Captions cut from records of either table, including short and damaged records.
#include "lookup/data/detail_captions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tarvel::data {
namespace {

using ::testing::ElementsAre;

constexpr std::string_view kBourgPostal =
    "01000 BOURG EN BRESSE§Bourg-en-Bresse§01 Ain§Auvergne-Rhône-Alpes§84§01053§Lyon§10§A§"
    "46.2051520382§5.24602125501";
constexpr std::string_view kBourgName =
    "BOURG EN BRESSE$01053§01000§01§Ain§Bourg-en-Bresse§84§Auvergne-Rhône-Alpes§46.2051520382§"
    "5.24602125501§Lyon§10§A";

TEST(DetailCaptions, PostalRecordGivesTheElevenCaptions) {
    EXPECT_THAT(
        CaptionsOfPostalRecord(kBourgPostal).text,
        ElementsAre("01000 BOURG EN BRESSE", "Bourg-en-Bresse", "01 Ain", "Auvergne-Rhône-Alpes",
                    " 84", " 01053", "Lyon", " 10", " A", "46.2051520382", "5.24602125501"));
}

TEST(DetailCaptions, NameRecordGivesTheSameCaptions) {
    EXPECT_EQ(CaptionsOfNameRecord(kBourgName).text, CaptionsOfPostalRecord(kBourgPostal).text);
}

// A former commune's record shows the commune that holds it, under the locality's postal code;
// brackets that do not end the key are part of the name.
TEST(DetailCaptions, AFormerCommuneShowsItsCurrentCommune) {
    std::string former(kBourgName);
    former.replace(0, std::string_view("BOURG EN BRESSE").size(), "BROU (BOURG EN BRESSE)");
    EXPECT_EQ(CaptionsOfNameRecord(former).text, CaptionsOfPostalRecord(kBourgPostal).text);
    EXPECT_EQ(CurrentCommuneKey("A (B) (C D)"), "C D");
    EXPECT_EQ(CurrentCommuneKey("A (B) C"), "A (B) C");
    EXPECT_EQ(CurrentCommuneKey("A)"), "A)");
    EXPECT_EQ(CurrentCommuneKey(" ()"), "");
}

TEST(DetailCaptions, WriteOrderFollowsTheRecordFields) {
    using L = DetailLabel;
    EXPECT_THAT(
        CaptionsOfNameRecord(kBourgName).writeOrder,
        ElementsAre(L::Commune, L::Insee, L::Departement, L::CommuneMin, L::CodeRegion, L::Region,
                    L::Latitude, L::Longitude, L::Academie, L::CodeAca, L::ZoneVac));
    EXPECT_EQ(CaptionsOfPostalRecord(kBourgPostal).writeOrder.front(), L::Commune);
    EXPECT_EQ(CaptionsOfPostalRecord(kBourgPostal).writeOrder.back(), L::Longitude);
}

// Missing values show as dots, but for the coordinates, whose labels stay empty.
TEST(DetailCaptions, MissingValuesStayAsDotsAndMissingCoordinatesEmpty) {
    const DetailCaptions c = CaptionsOfPostalRecord(
        "98764 ARATIKA§Aratika§98 Polynesie Francaise§Polynesie Francaise§.§987785§"
        "Polynesie Francaise§.§.§.§.");
    EXPECT_EQ(c[DetailLabel::CodeRegion], " .");
    EXPECT_EQ(c[DetailLabel::ZoneVac], " .");
    EXPECT_EQ(c[DetailLabel::Latitude], "");
    EXPECT_EQ(c[DetailLabel::Longitude], "");
}

TEST(DetailCaptions, ShortRecordsLeaveTheRemainingCaptionsEmpty) {
    const DetailCaptions postal = CaptionsOfPostalRecord("01000 X§Xx");
    EXPECT_EQ(postal[DetailLabel::CommuneMin], "Xx");
    EXPECT_EQ(postal[DetailLabel::Departement], "");
    EXPECT_EQ(postal[DetailLabel::Longitude], "");
    const DetailCaptions name = CaptionsOfNameRecord("NO KEY SEPARATOR");
    EXPECT_EQ(name[DetailLabel::Commune], " NO KEY SEPARATOR");
    EXPECT_EQ(name[DetailLabel::ZoneVac], " ");
}

TEST(DetailCaptions, PostalCodeOfANameRecord) {
    EXPECT_EQ(PostalCodeOfNameRecord(kBourgName), "01000");
    EXPECT_EQ(PostalCodeOfNameRecord("A$1§02000"), "02000");
    EXPECT_EQ(PostalCodeOfNameRecord("A$1"), "");
}

}  // namespace
}  // namespace tarvel::data
