// Turns an RTF document into the HTML subset that Qt's rich-text widgets show: paragraphs and
// line breaks, bold, italic, underline, fonts, sizes, colours, alignment, and Windows-1252 and
// Unicode characters. Anything else is skipped; malformed input never fails.
#pragma once

#include <string>
#include <string_view>

namespace tarvel::rtf {

std::string RtfToHtml(std::string_view rtf);

}  // namespace tarvel::rtf
