// How the result list draws one line: the style's item panel, one line of text cut with an
// ellipsis where it is too long, and the style's focus frame.
#pragma once

#include <QFontMetricsF>
#include <QStyledItemDelegate>

namespace tarvel::windows {

// The text of a line as it fits in room pixels: whole, or cut with an ellipsis.
QString ShownLine(const QString& line, const QFontMetricsF& metrics, int room);

// Draws a line as the style's item view does, without the general item layout, which asks
// the model for a dozen roles and lays the text out for wrapping: a list refilled at each
// keystroke paints in a fraction of the time.
class ResultLineDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

}  // namespace tarvel::windows
