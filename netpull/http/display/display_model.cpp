// The download control's display as plain data, from the transfer's events and its size.
#include "netpull/http/display/display_model.h"

#include <algorithm>

#include "netpull/http/display/control_display.h"

namespace netpull::http {

using E = Element;

DisplayModel::DisplayModel() {
    const auto set = [this](Element element, TwipsArea area, std::string text, bool bold) {
        At(element) = {std::move(text), area, true, bold};
    };
    set(E::Shape3, {0, 0, kDesignWidth, kDesignHeight}, "", false);
    set(E::Stat0, {1200, 120, 3495, 255}, "", false);
    set(E::Stat1, {1200, 360, 3495, 255}, "", false);
    set(E::Stat2, {120, 1080, 1095, 255}, "Downloaded:", true);
    set(E::Stat3, {1200, 720, 3495, 255}, "", false);
    set(E::Stat5, {120, 120, 975, 255}, "From:", true);
    set(E::Stat6, {120, 360, 975, 255}, "To:", true);
    set(E::Stat7, {120, 720, 975, 255}, "Speed:", true);
    set(E::Shape1, {1200, 1080, 2535, 255}, "", false);
    set(E::Shape2, {1200, 1080, 255, 255}, "", false);
    set(E::Stat4, {1200, 1080, 2535, 255}, "0% (0 mb)", true);
    set(E::Label1, {1200, 1080, 2535, 255}, "", false);
    set(E::BtnCancel, {3840, 1080, 855, 255}, "&Cancel", false);
}

void DisplayModel::Resize(int widthTwips, int heightTwips) {
    width_ = std::max(widthTwips, kMinWidth);
    height_ = std::max(heightTwips, kMinHeight);
    const int W = width_;
    const int H = height_;
    At(E::Shape3).area = {0, 0, W, H};
    for (const Element label : {E::Stat0, E::Stat1, E::Stat3}) {
        TwipsArea& area = At(label).area;
        area.width = W - area.left - 120;
    }
    At(E::Stat2).area.top = H - 360;
    TwipsArea& frame = At(E::Shape1).area;
    frame.top = At(E::Stat2).area.top;
    frame.width = W - frame.left - At(E::BtnCancel).area.width - 240;
    At(E::Stat4).area = frame;
    At(E::Shape2).area.top = frame.top;
    At(E::BtnCancel).area.left = frame.left + frame.width + 120;
    At(E::BtnCancel).area.top = frame.top;
    At(E::Stat7).area.top = At(E::Stat2).area.top - 360;
    At(E::Stat3).area.top = At(E::Stat7).area.top;
    At(E::Stat1).visible = At(E::Stat6).visible = H >= 1200;
    At(E::Stat3).visible = At(E::Stat7).visible = H >= 960;
    At(E::Stat0).visible = At(E::Stat5).visible = H >= 720;
}

void DisplayModel::ProgressBar(std::int64_t bytes, std::int64_t ofBytes) {
    if (ofBytes == 0) {
        At(E::Label1).text = std::to_string(bytes) + " bytes.";
        return;
    }
    const std::int32_t percent = Percent(bytes, ofBytes);
    At(E::Label1).text = std::to_string(percent) + "%";
    At(E::Shape2).area.width = static_cast<int>(static_cast<float>(At(E::Shape1).area.width) /
                                                100.0f * static_cast<float>(percent));
}

void DisplayModel::Fit(Element element, const std::string& text) {
    At(element).text = FitLine(text, At(element).area.width);
}

void DisplayModel::ProgressDetails(const TransferFigures& figures) {
    Fit(E::Stat0, figures.url);
    Fit(E::Stat1, figures.saveAs);
    At(E::Stat3).text = FormatSize(figures.bytesPerSecond, figures.decimalPoint) + " per second.";
    if (figures.totalBytes != 0) {
        At(E::Stat4).text = std::to_string(Percent(figures.downloadedBytes, figures.totalBytes)) +
                            "% (" + FormatSize(figures.downloadedBytes, figures.decimalPoint) + ")";
    }
}

void DisplayModel::DownloadedBar() {
    At(E::Label1).text = "completed";
}

void DisplayModel::DownloadedDetails() {
    At(E::Stat0).text = "complete";
    At(E::Stat3).text = "idle";
    At(E::Stat4).text = "100%";
}

void DisplayModel::ErrorBar() {
    At(E::Label1).text = "failed";
}

void DisplayModel::ErrorDetails(std::int32_t number, const std::string& description) {
    At(E::Stat0).text = "failed";
    At(E::Stat1).text = std::to_string(number) + " " + description;
    At(E::Stat3).text = "idle";
    At(E::Stat4).text = "0% (0 mb)";
    At(E::Shape2).area.width = 0;
}

}  // namespace netpull::http
