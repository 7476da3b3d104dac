// Text and background colours of a control through its palette: they paint as fast as the
// style's own, where a style sheet would route every paint through the style-sheet engine.
#pragma once

#include <QColor>
#include <QPalette>
#include <QWidget>

namespace tarvel::toolkit {

inline void SetTextColour(QWidget& widget, const QColor& colour) {
    QPalette p = widget.palette();
    p.setColor(QPalette::WindowText, colour);
    p.setColor(QPalette::Text, colour);
    widget.setPalette(p);
}

inline void SetFillColour(QWidget& widget, const QColor& colour) {
    QPalette p = widget.palette();
    p.setColor(QPalette::Window, colour);
    widget.setPalette(p);
    widget.setAutoFillBackground(true);
}

}  // namespace tarvel::toolkit
