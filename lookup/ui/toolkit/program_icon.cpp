// The program's picture, drawn in code.
#include "lookup/ui/toolkit/program_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace tarvel::toolkit {
namespace {

QPixmap DrawPicture(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);
    const QColor blue(0x1f, 0x3a, 0x93);
    painter.setPen(QPen(blue, 3));
    painter.setBrush(QColor(0xf4, 0xf1, 0xe8));
    painter.drawRoundedRect(QRectF(4, 8, 56, 44), 4, 4);
    QPainterPath flap;
    flap.moveTo(4, 12);
    flap.lineTo(32, 34);
    flap.lineTo(60, 12);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(flap);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xc0, 0x39, 0x2b));
    painter.drawEllipse(QPointF(46, 44), 12, 12);
    painter.setBrush(Qt::white);
    painter.drawEllipse(QPointF(46, 42), 4, 4);
    return pixmap;
}

}  // namespace

QIcon ProgramIcon() {
    QIcon icon;
    for (const int size : {16, 32, 64, 128}) icon.addPixmap(DrawPicture(size));
    return icon;
}

}  // namespace tarvel::toolkit
