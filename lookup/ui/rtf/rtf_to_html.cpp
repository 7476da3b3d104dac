// Turns an RTF document into the HTML subset that Qt's rich-text widgets show.
#include "lookup/ui/rtf/rtf_to_html.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <map>
#include <vector>

#include "lookup/text/utf8.h"
#include "lookup/text/windows1252.h"

namespace tarvel::rtf {
namespace {

constexpr std::size_t kMaxDepth = 512;
constexpr std::array<std::string_view, 28> kSkippedDestinations = {
    "info",         "stylesheet", "pict",     "header",    "footer",
    "headerl",      "headerr",    "headerf",  "footerl",   "footerr",
    "footerf",      "object",     "fldinst",  "themedata", "colorschememapping",
    "latentstyles", "datastore",  "xmlnstbl", "listtable", "listoverridetable",
    "rsidtbl",      "generator",  "filetbl",  "revtbl",    "ftnsep",
    "ftnsepc",      "aftnsep",    "aftnsepc"};

enum class Destination { Text, FontTable, ColourTable, Skipped };

struct CharFormat {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int font = -1;
    int halfPoints = 0;
    int colour = 0;
    bool operator==(const CharFormat&) const = default;
};

struct GroupState {
    CharFormat format;
    Destination destination = Destination::Text;
    int unicodeSkip = 1;
};

class Converter {
  public:
    std::string Convert(std::string_view rtf) {
        text_ = rtf;
        groups_.push_back({});
        while (at_ < text_.size()) Step();
        EndParagraph(false);
        return "<html><body>" + body_ + "</body></html>";
    }

  private:
    GroupState& State() { return groups_.back(); }

    void Step() {
        const char c = text_[at_++];
        if (c == '{') {
            if (groups_.size() < kMaxDepth)
                groups_.push_back(State());
            else
                ++overflow_;
        } else if (c == '}') {
            if (overflow_ > 0)
                --overflow_;
            else if (groups_.size() > 1)
                EndGroup();
        } else if (c == '\\') {
            ControlSymbolOrWord();
        } else if (c != '\r' && c != '\n') {
            Character(static_cast<unsigned char>(c));
        }
    }

    void EndGroup() {
        if (State().destination == Destination::FontTable && !fontName_.empty()) AddFont();
        groups_.pop_back();
    }

    void ControlSymbolOrWord() {
        if (at_ >= text_.size()) return;
        const char c = text_[at_];
        if (std::isalpha(static_cast<unsigned char>(c))) return ControlWord();
        ++at_;
        switch (c) {
            case '\'':
                return HexCharacter();
            case '\\':
            case '{':
            case '}':
                return Character(static_cast<unsigned char>(c));
            case '~':
                return Emit(0xA0);
            case '_':
                return Emit('-');
            case '*':
                State().destination = Destination::Skipped;
                return;
            case '\r':
            case '\n':
                return Control("par", 0, false);
            default:
                return;
        }
    }

    void ControlWord() {
        const std::size_t start = at_;
        while (at_ < text_.size() && at_ - start < 32 &&
               std::isalpha(static_cast<unsigned char>(text_[at_])))
            ++at_;
        const std::string_view word = text_.substr(start, at_ - start);
        bool negative = false, hasNumber = false;
        long long number = 0;
        if (at_ < text_.size() && text_[at_] == '-') {
            negative = true;
            ++at_;
        }
        for (int digits = 0;
             at_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[at_])); ++at_) {
            if (++digits <= 10) number = number * 10 + (text_[at_] - '0');
            hasNumber = true;
        }
        if (at_ < text_.size() && text_[at_] == ' ') ++at_;
        number = std::clamp(negative ? -number : number, -2147483647LL, 2147483647LL);
        Control(word, static_cast<int>(number), hasNumber);
    }

    void Control(std::string_view word, int n, bool hasNumber) {
        GroupState& s = State();
        if (std::find(kSkippedDestinations.begin(), kSkippedDestinations.end(), word) !=
            kSkippedDestinations.end()) {
            s.destination = Destination::Skipped;
        } else if (word == "fonttbl") {
            s.destination = Destination::FontTable;
        } else if (word == "colortbl") {
            s.destination = Destination::ColourTable;
            colours_.clear();
            colour_ = {};
        } else if (s.destination == Destination::ColourTable) {
            ColourComponent(word, n);
        } else if (word == "f") {
            if (s.destination == Destination::FontTable)
                fontIndex_ = n;
            else
                s.format.font = n;
        } else if (s.destination == Destination::Text) {
            TextControl(word, n, hasNumber);
        }
    }

    void TextControl(std::string_view word, int n, bool hasNumber) {
        CharFormat& f = State().format;
        const bool on = !hasNumber || n != 0;
        if (word == "par")
            EndParagraph(true);
        else if (word == "line")
            Raw("<br/>");
        else if (word == "tab")
            Raw("&nbsp;&nbsp;&nbsp;&nbsp;");
        else if (word == "b")
            f.bold = on;
        else if (word == "i")
            f.italic = on;
        else if (word == "ul")
            f.underline = on;
        else if (word == "ulnone")
            f.underline = false;
        else if (word == "plain")
            f = CharFormat{};
        else if (word == "fs")
            f.halfPoints = std::clamp(n, 0, 3200);
        else if (word == "cf")
            f.colour = n;
        else if (word == "uc")
            State().unicodeSkip = std::clamp(n, 0, 16);
        else if (word == "u")
            Unicode(n);
        else if (word == "pard")
            alignment_ = {};
        else if (word == "qc")
            alignment_ = "center";
        else if (word == "qr")
            alignment_ = "right";
        else if (word == "qj")
            alignment_ = "justify";
        else if (word == "ql")
            alignment_ = {};
        else if (word == "emdash")
            Emit(0x2014);
        else if (word == "endash")
            Emit(0x2013);
        else if (word == "bullet")
            Emit(0x2022);
        else if (word == "lquote")
            Emit(0x2018);
        else if (word == "rquote")
            Emit(0x2019);
        else if (word == "ldblquote")
            Emit(0x201C);
        else if (word == "rdblquote")
            Emit(0x201D);
    }

    void ColourComponent(std::string_view word, int n) {
        const int value = std::clamp(n, 0, 255);
        if (word == "red")
            colour_[0] = value;
        else if (word == "green")
            colour_[1] = value;
        else if (word == "blue")
            colour_[2] = value;
    }

    void HexCharacter() {
        int value = 0;
        for (int i = 0; i < 2; ++i) {
            if (at_ >= text_.size() || !std::isxdigit(static_cast<unsigned char>(text_[at_])))
                return;
            const char h =
                static_cast<char>(std::tolower(static_cast<unsigned char>(text_[at_++])));
            value = value * 16 + (h <= '9' ? h - '0' : h - 'a' + 10);
        }
        Character(static_cast<unsigned char>(value));
    }

    void Unicode(int n) {
        Emit(static_cast<char32_t>(n < 0 ? n + 65536 : std::min(n, 0xFFFF)));
        skip_ = State().unicodeSkip;
    }

    // One character of the document in Windows-1252.
    void Character(unsigned char byte) {
        if (skip_ > 0) {
            --skip_;
            return;
        }
        switch (State().destination) {
            case Destination::FontTable:
                if (byte == ';')
                    AddFont();
                else if (fontName_.size() < 64)
                    fontName_.push_back(static_cast<char>(byte));
                return;
            case Destination::ColourTable:
                if (byte == ';') {
                    colours_.push_back(colour_);
                    colour_ = {};
                }
                return;
            case Destination::Skipped:
                return;
            case Destination::Text:
                break;
        }
        Emit(text::Windows1252CodePoint(byte));
    }

    void AddFont() {
        std::string name;
        for (const char c : fontName_)
            if (std::isalnum(static_cast<unsigned char>(c)) || c == ' ' || c == '-')
                name.push_back(c);
        fonts_[fontIndex_] = name;
        fontName_.clear();
    }

    void Emit(char32_t code) {
        if (State().destination != Destination::Text) return;
        OpenRun();
        switch (code) {
            case '&':
                body_ += "&amp;";
                break;
            case '<':
                body_ += "&lt;";
                break;
            case '>':
                body_ += "&gt;";
                break;
            case '"':
                body_ += "&quot;";
                break;
            default:
                if (code >= 0x20 || code == '\t') text::AppendUtf8(code, body_);
        }
    }

    void Raw(std::string_view html) {
        OpenRun();
        body_ += html;
    }

    void OpenRun() {
        if (!inParagraph_) {
            body_ += alignment_.empty() ? "<p>" : "<p align=\"" + alignment_ + "\">";
            inParagraph_ = true;
        }
        const CharFormat& f = State().format;
        if (inRun_ && f == runFormat_) return;
        if (inRun_) body_ += "</span>";
        body_ += "<span style=\"" + Style(f) + "\">";
        runFormat_ = f;
        inRun_ = true;
    }

    std::string Style(const CharFormat& f) const {
        std::string style;
        if (f.bold) style += "font-weight:bold;";
        if (f.italic) style += "font-style:italic;";
        if (f.underline) style += "text-decoration:underline;";
        if (f.halfPoints > 0) style += "font-size:" + std::to_string(f.halfPoints / 2) + "pt;";
        if (const auto font = fonts_.find(f.font); font != fonts_.end() && !font->second.empty())
            style += "font-family:'" + font->second + "';";
        if (f.colour > 0 && static_cast<std::size_t>(f.colour) < colours_.size()) {
            const auto& c = colours_[static_cast<std::size_t>(f.colour)];
            style += "color:rgb(" + std::to_string(c[0]) + "," + std::to_string(c[1]) + "," +
                     std::to_string(c[2]) + ");";
        }
        return style;
    }

    void EndParagraph(bool explicitBreak) {
        if (!inParagraph_ && explicitBreak) {
            body_ += alignment_.empty() ? "<p>" : "<p align=\"" + alignment_ + "\">";
            inParagraph_ = true;
        }
        if (!inParagraph_) return;
        if (inRun_) body_ += "</span>";
        body_ += "</p>";
        inParagraph_ = inRun_ = false;
    }

    std::string_view text_;
    std::size_t at_ = 0;
    std::vector<GroupState> groups_;
    std::size_t overflow_ = 0;
    int skip_ = 0;
    std::map<int, std::string> fonts_;
    int fontIndex_ = 0;
    std::string fontName_;
    std::vector<std::array<int, 3>> colours_;
    std::array<int, 3> colour_{};
    std::string alignment_;
    std::string body_;
    bool inParagraph_ = false;
    bool inRun_ = false;
    CharFormat runFormat_;
};

}  // namespace

std::string RtfToHtml(std::string_view rtf) {
    return Converter().Convert(rtf);
}

}  // namespace tarvel::rtf
