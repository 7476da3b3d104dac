// Window coordinates are given in twips (1/1440 inch); these convert them to pixels with the
// screen's logical resolution, so windows keep their proportions on any screen.
#pragma once

#include <QRect>

class QWidget;

namespace tarvel::toolkit {

int TwipsToPixels(int twips);
QRect TwipsRect(int left, int top, int width, int height);
// Places a widget inside its container at a rectangle given in twips.
void PlaceInTwips(QWidget& widget, int left, int top, int width, int height);
// The screen's size in twips, for centring windows.
QSize ScreenSizeInTwips();
// Moves a top-level window so that its outer frame's top-left corner is at the given twips.
void MoveWindowInTwips(QWidget& window, int left, int top);

}  // namespace tarvel::toolkit
