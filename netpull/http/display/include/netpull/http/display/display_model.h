// The download control's display as plain data: what each element shows, where it lies in
// twips and whether it is visible, from the transfer's events and the control's size. A view
// (Qt's widgets, or GDI on Windows) only draws it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace netpull::http {

struct TwipsArea {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const TwipsArea&) const = default;
};

// The elements, in their stacking order from the bottom: the border, the eight status labels,
// the progress frame and its fill, the status over them, and the Cancel label on top.
enum class Element {
    Shape3,
    Stat0,  // the URL
    Stat1,  // the save path
    Stat2,  // "Downloaded:"
    Stat3,  // the speed
    Stat5,  // "From:"
    Stat6,  // "To:"
    Stat7,  // "Speed:"
    Shape1,
    Shape2,
    Stat4,  // the amount, over the progress frame
    Label1,
    BtnCancel,
};
inline constexpr std::size_t kElementCount = 13;

struct ElementView {
    std::string text;  // UTF-8; "&" marks the access key of the Cancel caption
    TwipsArea area;
    bool visible = true;
    bool bold = false;  // MS Sans Serif 8.25 bold; otherwise the element's own font
};

// What the display shows of the transfer beside the progress bar.
struct TransferFigures {
    std::string url;
    std::string saveAs;
    std::int64_t bytesPerSecond = 0;
    std::int64_t downloadedBytes = 0;
    std::int64_t totalBytes = 0;
    char decimalPoint = '.';
};

class DisplayModel {
  public:
    static constexpr int kDesignWidth = 4815;
    static constexpr int kDesignHeight = 1455;
    static constexpr int kMinWidth = 4000;
    static constexpr int kMinHeight = 480;

    DisplayModel();

    const ElementView& operator[](Element element) const {
        return elements_[static_cast<std::size_t>(element)];
    }
    int Width() const { return width_; }
    int Height() const { return height_; }

    // Lays the elements out for the given size, first raised to the minimum size; the size
    // the control takes is then Width() x Height().
    void Resize(int widthTwips, int heightTwips);

    // Each event changes the progress bar before the host hears it, and the rest after, with
    // what the host's handler left in its arguments.
    void ProgressBar(std::int64_t bytes, std::int64_t ofBytes);
    void ProgressDetails(const TransferFigures& figures);
    void DownloadedBar();
    void DownloadedDetails();
    void ErrorBar();
    void ErrorDetails(std::int32_t number, const std::string& description);

  private:
    ElementView& At(Element element) { return elements_[static_cast<std::size_t>(element)]; }
    void Fit(Element element, const std::string& text);

    std::array<ElementView, kElementCount> elements_;
    int width_ = kDesignWidth;
    int height_ = kDesignHeight;
};

}  // namespace netpull::http
