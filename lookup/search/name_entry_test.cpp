// The rule for typed commune names: upper case, accepted characters only, each rejected
// character reported once.
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
    const NameEntryCheck hyphen = CheckTypedName("st-jean");
    EXPECT_EQ(hyphen.cleaned, "STJEAN");
    EXPECT_THAT(hyphen.rejected, ElementsAre("-"));

    const NameEntryCheck accents = CheckTypedName("é é");
    EXPECT_EQ(accents.cleaned, " ");
    EXPECT_THAT(accents.rejected, ElementsAre("É"));

    const NameEntryCheck mixed = CheckTypedName("l'haÿ-les-roses'œ");
    EXPECT_EQ(mixed.cleaned, "LHALESROSES");
    EXPECT_THAT(mixed.rejected, ElementsAre("'", "Ÿ", "-", "Œ"));
}

TEST(NameEntry, CleansTheWholeTextWhateverItsLength) {
    const std::string typed = std::string(150, 'a') + "-b";
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
