// Shows a widget's look from the pixmap cache, drawn once over the background behind it.
#include "cached_look.h"

#include <QPainter>
#include <QPixmapCache>
#include <QWidget>
#include <cmath>

namespace tarvel::toolkit {

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

void DrawCachedLook(QPainter& painter, const QWidget& widget, const QRect& area,
                    const QString& lookKey, const std::function<void(QPainter&)>& draw) {
    const QBrush background = BackgroundBehind(widget);
    // The painter scales by the pixel ratio of the device it really paints on, which may not
    // be painter.device() when a widget is rendered elsewhere.
    const QTransform placed = painter.deviceTransform();
    const qreal ratio = placed.m11();
    const bool onWholePixels = placed.type() <= QTransform::TxScale && ratio == placed.m22() &&
                               ratio >= 1 && ratio == std::floor(ratio) &&
                               placed.dx() == std::floor(placed.dx()) &&
                               placed.dy() == std::floor(placed.dy());
    if (background.style() != Qt::SolidPattern || !onWholePixels) {
        draw(painter);
        return;
    }
    const QString key = QStringLiteral("tarvel.look:%1x%2@%3:%4:%5")
                            .arg(area.width())
                            .arg(area.height())
                            .arg(ratio)
                            .arg(background.color().rgba64(), 0, 16)
                            .arg(lookKey);
    QPixmap look;
    if (!QPixmapCache::find(key, &look)) {
        look = QPixmap(area.size() * ratio);
        look.setDevicePixelRatio(ratio);
        QPainter onLook(&look);
        onLook.fillRect(QRect(QPoint(0, 0), area.size()), background);
        onLook.translate(-area.topLeft());
        onLook.setFont(painter.font());
        onLook.setPen(painter.pen());
        onLook.setBrush(painter.brush());
        onLook.setBackground(painter.background());
        onLook.setLayoutDirection(painter.layoutDirection());
        draw(onLook);
        onLook.end();
        QPixmapCache::insert(key, look);
    }
    painter.drawPixmap(area.topLeft(), look);
}

}  // namespace tarvel::toolkit
