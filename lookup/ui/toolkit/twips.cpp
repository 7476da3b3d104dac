// Conversion of twips to pixels with the screen's logical resolution.
#include "lookup/ui/toolkit/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace tarvel::toolkit {
namespace {

constexpr double kTwipsPerInch = 1440.0;

double LogicalDpi() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->logicalDotsPerInch() : 96.0;
}

}  // namespace

int TwipsToPixels(int twips) {
    return static_cast<int>(std::lround(twips * LogicalDpi() / kTwipsPerInch));
}

QRect TwipsRect(int left, int top, int width, int height) {
    return {TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height)};
}

void PlaceInTwips(QWidget& widget, int left, int top, int width, int height) {
    widget.setGeometry(TwipsRect(left, top, width, height));
}

QSize ScreenSizeInTwips() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize pixels = screen != nullptr ? screen->size() : QSize(1024, 768);
    const double perPixel = kTwipsPerInch / LogicalDpi();
    return {static_cast<int>(pixels.width() * perPixel),
            static_cast<int>(pixels.height() * perPixel)};
}

void MoveWindowInTwips(QWidget& window, int left, int top) {
    window.move(TwipsToPixels(left), TwipsToPixels(top));
}

}  // namespace tarvel::toolkit
