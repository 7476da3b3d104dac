// The application's style with text box panels shown from the pixmap cache: Fusion strokes a
// box's rounded frame with antialiasing at every repaint, each keystroke and caret blink.
#pragma once

#include <QProxyStyle>

namespace tarvel::toolkit {

class CachedPanelStyle : public QProxyStyle {
    Q_OBJECT
  public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override;

    // The instance all text boxes share, over the application's style, owned by the
    // application object.
    static QStyle* Shared();
};

}  // namespace tarvel::toolkit
