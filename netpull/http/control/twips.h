// Conversion between twips (1/1440 inch), the unit of the control's layout, and pixels at the
// screen's logical resolution.
#pragma once

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <cmath>

namespace netpull::http {

inline double LogicalDpi() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->logicalDotsPerInch() : 96.0;
}
inline int TwipsToPixels(int twips) {
    return static_cast<int>(std::lround(twips * LogicalDpi() / 1440.0));
}
inline int PixelsToTwips(int pixels) {
    return static_cast<int>(std::lround(pixels * 1440.0 / LogicalDpi()));
}
inline QRect TwipsRect(int left, int top, int width, int height) {
    return {TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height)};
}

}  // namespace netpull::http
