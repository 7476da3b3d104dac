// The clipboard texts and web addresses built from the panel's captions.
#include "lookup/ui/actions/commune_texts.h"

#include <gtest/gtest.h>

namespace tarvel::actions {
namespace {

TEST(DirectoryAddress, SlugIsLowerCaseUnaccentedAndHyphenated) {
    EXPECT_EQ(DirectoryAddress("Bourg-en-Bresse", "01 Ain"),
              "https://www.annuaire-des-mairies.com/01/bourg-en-bresse");
    EXPECT_EQ(DirectoryAddress("Saint-Denis-lès-Bourg", "01 Ain"),
              "https://www.annuaire-des-mairies.com/01/saint-denis-les-bourg");
    EXPECT_EQ(DirectoryAddress("L'Haÿ-les-Roses", "94 Val-de-Marne"),
              "https://www.annuaire-des-mairies.com/94/l'hay-les-roses");
    EXPECT_EQ(DirectoryAddress("Orée d'Anjou", "49 Maine-et-Loire"),
              "https://www.annuaire-des-mairies.com/49/oree-d'anjou");
    // The département's first two characters are taken as they stand.
    EXPECT_EQ(DirectoryAddress("Moulins", "3 Allier"),
              "https://www.annuaire-des-mairies.com/3 /moulins");
}

TEST(DirectoryAddress, KeepsNamesLongerThanFortyTwoCharacters) {
    EXPECT_EQ(
        DirectoryAddress("Saint-Rémy-en-Bouzemont-Saint-Genest-et-Isson", "51 Marne"),
        "https://www.annuaire-des-mairies.com/51/saint-remy-en-bouzemont-saint-genest-et-isson");
}

TEST(MapAddress, InsertsTheCoordinatesAsShown) {
    EXPECT_EQ(MapAddress("46.2051520382", "5.24602125501"),
              "https://www.google.com/maps/dir//"
              "%20%20+%20%2046.2051520382%20%20+%20%20,%20%205.24602125501");
    EXPECT_EQ(MapAddress(".", "."),
              "https://www.google.com/maps/dir//%20%20+%20%20.%20%20+%20%20,%20%20.");
}

TEST(CopyTexts, ElevenPrefixedLinesWithoutFinalBreak) {
    data::DetailCaptions captions{};
    for (std::size_t i = 0; i < captions.text.size(); ++i) captions.text[i] = std::to_string(i);
    EXPECT_EQ(FullCopyText(captions),
              "Commune: 0\r\nNom minuscule: 1\r\nDépartement: 2\r\nRégion: 3\r\nCode région: 4\r\n"
              "N°INSEE: 5\r\nAcadémie: 6\r\nCode académie: 7\r\nZone vacances: 8\r\nLatitude: 9\r\n"
              "Longitude: 10");
    EXPECT_EQ(NameCopyConfirmation("X"),
              "Le nom de commune a été copiée dans le presse-papier.\r\n\r\nX");
}

}  // namespace
}  // namespace tarvel::actions
