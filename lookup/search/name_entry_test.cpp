// The rule for typed commune names: upper case, what a name holds written as La Poste writes
// it, each character no name holds reported once.
#include "lookup/search/name_entry.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "lookup/text/utf8.h"

namespace tarvel::search {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(NameEntry, UpperCasesAndKeepsAcceptedCharacters) {
    const NameEntryCheck check = CheckTypedName("st jean le blanc 2");
    EXPECT_EQ(check.cleaned, "ST JEAN LE BLANC 2");
    EXPECT_THAT(check.rejected, IsEmpty());
}

TEST(NameEntry, ReportsEachRejectedCharacterOnceInOrder) {
    const NameEntryCheck marks = CheckTypedName("st?jean@?#");
    EXPECT_EQ(marks.cleaned, "STJEAN");
    EXPECT_THAT(marks.rejected, ElementsAre("?", "@", "#"));
}

// As users type French names, and as La Poste writes them in its keys.
TEST(NameEntry, FoldsAccentsLigaturesApostrophesAndHyphens) {
    const std::pair<const char*, const char*> cases[] = {
        {"Évry", "EVRY"},
        {"saint-étienne", "SAINT ETIENNE"},
        {"st-jean", "ST JEAN"},
        {"l'hay", "L HAY"},
        {"l’haÿ-les-roses", "L HAY LES ROSES"},
        {"Œuilly", "OEUILLY"},
        {"cæsar", "CAESAR"},
        {"é é", "E E"},
        {"  çà et là", "CA ET LA"},
        {"ÀÂÄÇÈÉÊËÎÏÔÖÙÛÜŸ", "AAACEEEEIIOOUUUY"},
        {"ãåñøłž", "AANOLZ"},
    };
    for (const auto& [typed, folded] : cases) {
        const NameEntryCheck check = CheckTypedName(typed);
        EXPECT_EQ(check.cleaned, folded) << typed;
        EXPECT_THAT(check.rejected, IsEmpty()) << typed;
    }
    // Folding and rejection side by side; Ð, Þ and × are no letters of a name.
    const NameEntryCheck mixed = CheckTypedName("l'haÿ?ÐÞ×-œ");
    EXPECT_EQ(mixed.cleaned, "L HAY OE");
    EXPECT_THAT(mixed.rejected, ElementsAre("?", "Ð", "Þ", "×"));
}

TEST(NameEntry, CleansTheWholeTextWhateverItsLength) {
    const std::string typed = std::string(150, 'a') + "?b";
    EXPECT_EQ(CheckTypedName(typed).cleaned, std::string(150, 'A') + "B");
}

TEST(NameEntry, SurvivesMalformedAndUnusualText) {
    const NameEntryCheck check = CheckTypedName(
        "a\xFF\xC3"
        "b\tc😀");
    EXPECT_EQ(check.cleaned, "ABC");
    EXPECT_THAT(check.rejected, ElementsAre("\uFFFD", "\t", "😀"));
}

TEST(NameEntry, MessageNamesTheUpperCasedCharacter) {
    EXPECT_EQ(RejectedCharacterMessage("É"), "Le caractere '' É '' n'est pas valide.");
    EXPECT_EQ(RejectedCharacterMessage("-"), "Le caractere '' - '' n'est pas valide.");
}

TEST(Utf8, RoundTripsAndCountsCharacters) {
    const std::string text = "Aé€😀";
    EXPECT_EQ(text::EncodeUtf8(text::DecodeUtf8(text)), text);
    EXPECT_EQ(text::CountCharacters(text), 4u);
    EXPECT_EQ(text::DecodeUtf8("\xC0\xAF\xED\xA0\x80"), std::u32string(5, U'\uFFFD'));
}

}  // namespace
}  // namespace tarvel::search
