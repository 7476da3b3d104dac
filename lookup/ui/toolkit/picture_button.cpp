// A button showing an icon beside a caption of one or two lines.
#include "lookup/ui/toolkit/picture_button.h"

#include <QKeyEvent>
#include <QPixmapCache>
#include <QStyleOptionToolButton>
#include <QStylePainter>

namespace tarvel::toolkit {

PictureButton::PictureButton(const QIcon& icon, const QString& caption, const QString& tooltip,
                             QWidget* parent)
    : QToolButton(parent) {
    setIcon(icon);
    setIconSize(QSize(24, 24));
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    setToolTip(tooltip);
    setFocusPolicy(Qt::StrongFocus);
    // Its picture covers it whole, its background included.
    setAttribute(Qt::WA_OpaquePaintEvent);
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

namespace {

// What shows behind a widget that fills no background of its own: the background of the
// nearest ancestor that fills one, or of its window.
QBrush BackgroundBehind(const QWidget& widget) {
    const QWidget* below = widget.parentWidget();
    while (below != nullptr && !below->autoFillBackground() && !below->isWindow())
        below = below->parentWidget();
    if (below == nullptr) return widget.palette().brush(QPalette::Window);
    return below->palette().brush(below->backgroundRole());
}

}  // namespace

// The style draws a button with a bevel, an icon and two lines of text, which takes long
// enough to show when three buttons change state at a keystroke: each look is drawn once, on
// the button's background, and shown again from the cache.
void PictureButton::paintEvent(QPaintEvent*) {
    QStyleOptionToolButton option;
    initStyleOption(&option);
    const qreal ratio = devicePixelRatioF();
    const QBrush background = BackgroundBehind(*this);
    const QString key = QStringLiteral("tarvel.PictureButton:%1:%2x%3@%4:%5:%6:%7:%8:%9:%10")
                            .arg(style()->name())
                            .arg(width())
                            .arg(height())
                            .arg(ratio)
                            .arg(static_cast<int>(option.state))
                            .arg(static_cast<int>(option.features))
                            .arg(static_cast<int>(option.activeSubControls))
                            .arg(option.icon.cacheKey())
                            .arg(palette().cacheKey())
                            .arg(font().key() + QLatin1Char('\n') + option.text);
    QPixmap look;
    if (!QPixmapCache::find(key, &look)) {
        look = QPixmap(size() * ratio);
        look.setDevicePixelRatio(ratio);
        look.fill(Qt::transparent);
        QStylePainter painter(&look, this);
        painter.fillRect(rect(), background);
        painter.drawComplexControl(QStyle::CC_ToolButton, option);
        painter.end();
        QPixmapCache::insert(key, look);
    }
    QPainter(this).drawPixmap(0, 0, look);
}

void PictureButton::SetCaption(const QString& caption) {
    setText(QString(caption).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

}  // namespace tarvel::toolkit
