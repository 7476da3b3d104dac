// Shows a widget's look from the pixmap cache: for looks that take long to draw and come back
// often, such as a button's states or a text box's frame.
#pragma once

#include <QRect>
#include <QString>
#include <functional>

class QPainter;
class QWidget;

namespace tarvel::toolkit {

// Paints the look named lookKey over area of widget. The first time, `draw` paints it (in the
// widget's coordinates) into a picture that starts as the background showing behind the
// widget; later it comes from the cache. The key must name all that the look depends on but
// that background, the area's size and the pixel ratio. Behind a patterned background, which a
// picture cannot follow, and at a fractional pixel ratio or on a transformed painter, where the
// style rounds its lines to other pixels than the picture's, `draw` paints straight onto the
// painter each time.
void DrawCachedLook(QPainter& painter, const QWidget& widget, const QRect& area,
                    const QString& lookKey, const std::function<void(QPainter&)>& draw);

}  // namespace tarvel::toolkit
