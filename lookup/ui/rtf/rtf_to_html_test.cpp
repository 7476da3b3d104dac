// RTF to HTML: text, formatting, characters, tables, skipped parts, and malformed input.
#include "lookup/ui/rtf/rtf_to_html.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tarvel::rtf {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

TEST(RtfToHtml, ParagraphsAndFormatting) {
    const std::string html =
        RtfToHtml(R"({\rtf1\ansi Hello {\b bold} \i it\i0 \ul u\ulnone\par Next\line x})");
    EXPECT_THAT(
        html, HasSubstr("<p><span style=\"\">Hello </span><span style=\"font-weight:bold;\">bold"));
    EXPECT_THAT(html, HasSubstr("<span style=\"font-style:italic;\">it</span>"));
    EXPECT_THAT(html, HasSubstr("text-decoration:underline;\">u</span>"));
    EXPECT_THAT(html, HasSubstr("</p><p><span style=\"\">Next<br/>x</span></p>"));
}

TEST(RtfToHtml, CharactersAndEscapes) {
    const std::string html = RtfToHtml(R"({\rtf1 d\'e9partement \'80 \u8364? \{a\}\\ <&> \~})");
    EXPECT_THAT(html, HasSubstr("département € € {a}\\ &lt;&amp;&gt; \u00A0"));
    // \uc0 skips nothing after \u; \uc2 skips two.
    EXPECT_THAT(RtfToHtml(R"({\uc0\u233 x})"), HasSubstr("éx"));
    EXPECT_THAT(RtfToHtml(R"({\uc2\u233 xyz})"), HasSubstr("éz"));
    EXPECT_THAT(RtfToHtml(R"({\u-4064?})"), HasSubstr("\uF020"));
}

TEST(RtfToHtml, FontAndColourTables) {
    const std::string html = RtfToHtml(
        R"({\rtf1{\fonttbl{\f0\fswiss Arial;}{\f1 Times New Roman;}}{\colortbl;\red128\green0\blue0;})"
        R"(\f1\fs28\cf1 Red\cf5 x\qc\par})");
    EXPECT_THAT(
        html, HasSubstr("font-size:14pt;font-family:'Times New Roman';color:rgb(128,0,0);\">Red"));
    EXPECT_THAT(html, Not(HasSubstr("Arial;")));
}

TEST(RtfToHtml, SkipsDestinationsItDoesNotShow) {
    const std::string html = RtfToHtml(
        R"({\rtf1{\info{\title T}}{\*\unknown hidden}{\stylesheet{s}}{\pict 0123}shown})");
    EXPECT_THAT(html, HasSubstr("shown"));
    for (const char* hidden : {"T<", "hidden", "0123", ">s<"})
        EXPECT_THAT(html, Not(HasSubstr(hidden)));
}

TEST(RtfToHtml, MalformedInputNeverFails) {
    for (const std::string& input :
         {std::string("{\\"), std::string("}}}}{{{"), std::string("{\\'"), std::string("\\'4"),
          std::string("{\\u"), std::string("\\b-99999999999999999999 x"), std::string(10000, '{'),
          std::string("{\\fonttbl{\\f0 ") + std::string(1000, 'a'), std::string("\0\xFF\x80", 3),
          std::string("\\") + std::string(100, 'a') + "1"}) {
        const std::string html = RtfToHtml(input);
        EXPECT_THAT(html, HasSubstr("<html><body>"));
    }
    EXPECT_EQ(RtfToHtml(""), "<html><body></body></html>");
}

}  // namespace
}  // namespace tarvel::rtf
