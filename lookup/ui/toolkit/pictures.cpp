// The program's own pictures, rendered from their SVG sources.
#include "lookup/ui/toolkit/pictures.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace tarvel::toolkit {

QIcon Picture(const QString& name) {
    QSvgRenderer renderer(QStringLiteral(":/pictures/%1.svg").arg(name));
    QIcon icon;
    if (!renderer.isValid()) return icon;
    const QSizeF shape = renderer.defaultSize();
    for (const int height : {14, 16, 24, 32, 48, 64, 96}) {
        QPixmap pixmap(QSize(qRound(shape.width() * height / shape.height()), height));
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace tarvel::toolkit
