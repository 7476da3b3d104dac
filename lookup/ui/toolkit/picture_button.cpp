// A button showing an icon beside a caption of one or two lines.
#include "lookup/ui/toolkit/picture_button.h"

#include <QKeyEvent>

namespace tarvel::toolkit {

PictureButton::PictureButton(const QIcon& icon, const QString& caption, const QString& tooltip,
                             QWidget* parent)
    : QToolButton(parent) {
    setIcon(icon);
    setIconSize(QSize(24, 24));
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    setToolTip(tooltip);
    setFocusPolicy(Qt::StrongFocus);
    SetCaption(caption);
}

void PictureButton::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && event->modifiers() == Qt::NoModifier && !event->isAutoRepeat()) {
        animateClick();
        return;
    }
    QToolButton::keyPressEvent(event);
}

void PictureButton::SetCaption(const QString& caption) {
    setText(QString(caption).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

}  // namespace tarvel::toolkit
