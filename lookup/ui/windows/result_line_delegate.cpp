// How the result list draws one line.
#include "result_line_delegate.h"

#include <QApplication>
#include <QPainter>

namespace tarvel::windows {

void ResultLineDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    const QWidget* view = option.widget;
    QStyle* style = view != nullptr ? view->style() : QApplication::style();
    QStyleOptionViewItem item(option);
    item.viewItemPosition = QStyleOptionViewItem::OnlyOne;
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &item, painter, view);
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
    const QRect room = option.rect.adjusted(margin, 0, -margin, 0);
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette::ColorGroup group = !(option.state & QStyle::State_Enabled) ? QPalette::Disabled
                                       : (option.state & QStyle::State_Active) ? QPalette::Normal
                                                                               : QPalette::Inactive;
    painter->save();
    painter->setFont(option.font);
    painter->setPen(
        option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    const QString line = index.data(Qt::DisplayRole).toString();
    const QFontMetricsF metrics(option.font);
    const qreal baseline = room.top() + (room.height() - metrics.height()) / 2 + metrics.ascent();
    painter->drawText(QPointF(room.left(), baseline),
                      option.fontMetrics.elidedText(line, Qt::ElideRight, room.width()));
    painter->restore();
    if (option.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(option);
        focus.rect = option.rect;
        focus.state |= QStyle::State_KeyboardFocusChange | QStyle::State_Item;
        focus.backgroundColor =
            option.palette.color(group, selected ? QPalette::Highlight : QPalette::Window);
        style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, view);
    }
}

}  // namespace tarvel::windows
