// The accent remover, the replace routine and French letter case.
#include "lookup/text/text_routines.h"

#include <gtest/gtest.h>

#include "lookup/text/letter_case.h"

namespace tarvel::text {
namespace {

TEST(SubAccents, RemovesLowerCaseAccentsOnly) {
    EXPECT_EQ(SubAccents("saint-étienne-du-grès", 21), "saint-etienne-du-gres");
    EXPECT_EQ(SubAccents("àäâçéèëêïîöôùüûÿ", 16), "aaaceeeeiioouuuy");
    EXPECT_EQ(SubAccents("Éric", 4), "Éric");
    EXPECT_EQ(SubAccents("cœur", 4), "cœur");
}

TEST(SubAccents, CountsCharactersAndRepeatsTheLastOne) {
    EXPECT_EQ(SubAccents("abc", 5), "abccc");
    EXPECT_EQ(SubAccents("abé", 4), "abee");
    EXPECT_EQ(SubAccents("abc", 2), "ab");
    EXPECT_EQ(SubAccents("abc", 0), "");
    EXPECT_EQ(SubAccents("abc", -3), "");
    EXPECT_EQ(SubAccents("", 3), "");
}

TEST(SubAccents, HandlesNamesLongerThanFortyTwoCharacters) {
    const std::string longest = "saint-rémy-en-bouzemont-saint-genest-et-isson";
    EXPECT_EQ(SubAccents(longest, 45), "saint-remy-en-bouzemont-saint-genest-et-isson");
    const std::string veryLong(5000, 'e');
    EXPECT_EQ(SubAccents(veryLong, 5000), veryLong);
}

TEST(ChangeEspaceTiret, ReplacesEveryOccurrenceFromTheLeft) {
    EXPECT_EQ(ChangeEspaceTiret("bourg en bresse", " ", "-"), "bourg-en-bresse");
    EXPECT_EQ(ChangeEspaceTiret("aaaa", "aa", "b"), "bb");
    EXPECT_EQ(ChangeEspaceTiret("aaa", "aa", "b"), "ba");
    // Inserted text is never scanned again.
    EXPECT_EQ(ChangeEspaceTiret("ab", "a", "aa"), "aab");
    EXPECT_EQ(sChangeCaractere("L'ISLE ADAM", "'", ""), "LISLE ADAM");
    EXPECT_EQ(sChangeCaractere("É É", "É", ""), " ");
}

TEST(ChangeEspaceTiret, LeavesBlankTextsAndEmptyPatternsAlone) {
    EXPECT_EQ(ChangeEspaceTiret("   ", " ", "-"), "   ");
    EXPECT_EQ(ChangeEspaceTiret("", " ", "-"), "");
    EXPECT_EQ(ChangeEspaceTiret("abc", "", "-"), "abc");
}

TEST(LetterCase, FollowsFrenchRules) {
    EXPECT_EQ(ToUpperFrench("saint-étienne œuvre ÿ ç"), "SAINT-ÉTIENNE ŒUVRE Ÿ Ç");
    EXPECT_EQ(ToLowerFrench("Saint-Étienne Œuvre Ÿ Ç L'Haÿ"), "saint-étienne œuvre ÿ ç l'haÿ");
    EXPECT_EQ(ToUpperFrench("ß÷×"), "SS÷×");  // the full mapping: "ß" has a two-letter capital
    EXPECT_EQ(ToUpperFrench(U'ß'), U'ß');
    EXPECT_EQ(ToUpperFrench("łódź ĺ ž"), "ŁÓDŹ Ĺ Ž");
    EXPECT_EQ(ToLowerFrench("ŁÓDŹ Ĺ Ž"), "łódź ĺ ž");
    EXPECT_EQ(ToUpperFrench("αβς ж ё"), "ΑΒΣ Ж Ё");
}

// Every letter with a capital in Unicode gets it, beyond the alphabets French uses most.
TEST(LetterCase, FollowsUnicodeForEveryAlphabet) {
    EXPECT_EQ(ToUpperFrench("ș ț ǆ ǉ ɐ ȿ ḁ ẞ ﬀ ŉ"), "Ș Ț Ǆ Ǉ Ɐ Ȿ Ḁ ẞ FF ʼN");
    EXPECT_EQ(ToUpperFrench("ⴀ ა ꙁ ａ 𐐨"), "Ⴀ Ა Ꙁ Ａ 𐐀");
    EXPECT_EQ(ToLowerFrench("Ș Ǆ Ａ 𐐀 ẞ"), "ș ǆ ａ 𐐨 ß");
    int changed = 0;
    for (char32_t code = 0; code < 0x20000; ++code) changed += ToUpperFrench(code) != code;
    EXPECT_GT(changed, 1380);  // Unicode 14 gives 1,400 or so one-for-one capitals
}

}  // namespace
}  // namespace tarvel::text
