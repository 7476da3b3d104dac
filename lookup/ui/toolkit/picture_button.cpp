// A button showing an icon beside a caption of one or two lines.
#include "lookup/ui/toolkit/picture_button.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionToolButton>

#include "cached_look.h"

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

// The style draws a button with a bevel, an icon and two lines of text, which takes long
// enough to show when three buttons change state at a keystroke: each look is drawn once and
// shown again from the cache.
void PictureButton::paintEvent(QPaintEvent*) {
    QStyleOptionToolButton option;
    initStyleOption(&option);
    const QString key = QStringLiteral("PictureButton:%1:%2:%3:%4:%5:%6:%7")
                            .arg(style()->name())
                            .arg(static_cast<int>(option.state))
                            .arg(static_cast<int>(option.features))
                            .arg(static_cast<int>(option.activeSubControls))
                            .arg(option.icon.cacheKey())
                            .arg(palette().cacheKey())
                            .arg(font().key() + QLatin1Char('\n') + option.text);
    QPainter painter(this);
    DrawCachedLook(painter, *this, rect(), key, [&](QPainter& onLook) {
        style()->drawComplexControl(QStyle::CC_ToolButton, &option, &onLook, this);
    });
}

void PictureButton::SetCaption(const QString& caption) {
    setText(QString(caption).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

}  // namespace tarvel::toolkit
