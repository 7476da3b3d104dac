// The application's style with text box frames and scroll bars shown from the pixmap cache.
// Fusion strokes a box's antialiased frame at every repaint, and fills a scroll bar's groove
// with a gradient that the raster engine splits across threads.
#pragma once

#include <QProxyStyle>

namespace tarvel::toolkit {

class CachedLooks : public QProxyStyle {
    Q_OBJECT
  public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget) const override;
};

}  // namespace tarvel::toolkit
