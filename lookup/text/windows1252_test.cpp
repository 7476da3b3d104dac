// Decoding of Windows-1252 bytes: ASCII, the 0x80-0x9F block, Latin-1 letters.
#include "lookup/text/windows1252.h"

#include <gtest/gtest.h>

namespace tarvel::text {
namespace {

TEST(Windows1252, KeepsAsciiAndMapsLatinLetters) {
    EXPECT_EQ(DecodeWindows1252("Aast 64"), "Aast 64");
    EXPECT_EQ(DecodeWindows1252("Pyr\xE9n\xE9"
                                "es\xA7\xCE"),
              "Pyrénées§Î");
    EXPECT_EQ(DecodeWindows1252("\xFF\xE7\xF4"), "ÿçô");
}

TEST(Windows1252, MapsTheHighControlBlock) {
    EXPECT_EQ(DecodeWindows1252("\x9C\x8C\x80\x92"), "œŒ€’");
    // Undefined bytes become the control characters of the same number, never lost.
    EXPECT_EQ(DecodeWindows1252("\x81\x8D\x8F\x90\x9D"), "\u0081\u008D\u008F\u0090\u009D");
}

TEST(Windows1252, PredictsTheDecodedSize) {
    for (const std::string_view bytes : {"", "abc", "\xE9\xA7", "\x80\x81\x9C", "a\xFF\x85z"})
        EXPECT_EQ(DecodedWindows1252Size(bytes), DecodeWindows1252(bytes).size()) << bytes;
}

}  // namespace
}  // namespace tarvel::text
