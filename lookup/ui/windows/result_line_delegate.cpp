// How the result list draws one line.
#include "result_line_delegate.h"

#include <QApplication>
#include <QPainter>
#include <algorithm>

namespace tarvel::windows {

namespace {

// Whether a line fits without measuring it: no character of the font is wider than its widest
// one. Measuring a line shapes it, which takes as long as drawing it; result lines are short.
// Characters beyond Latin-1 may come from another font, so they are measured.
bool SurelyFits(const QString& line, const QFontMetricsF& metrics, int room) {
    const bool latin1 =
        std::all_of(line.begin(), line.end(), [](QChar c) { return c.unicode() <= 0xFF; });
    return latin1 && line.size() * metrics.maxWidth() <= room;
}

}  // namespace

QString ShownLine(const QString& line, const QFontMetricsF& metrics, int room) {
    return SurelyFits(line, metrics, room) ? line : metrics.elidedText(line, Qt::ElideRight, room);
}

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
    painter->drawText(QPointF(room.left(), baseline), ShownLine(line, metrics, room.width()));
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
