// The result list's view: lines of one height, placed, scrolled, paged and painted by
// arithmetic on their rows.
#include "lookup/ui/windows/result_list.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "lookup/ui/toolkit/cached_looks.h"
#include "result_line_delegate.h"
#include "result_list_accessible.h"

namespace tarvel::windows {

ResultList::ResultList(QWidget* parent) : QAbstractItemView(parent), model_(this) {
    ResultListAccessible::InstallFactory();
    setModel(&model_);
    setItemDelegate(new ResultLineDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    verticalScrollBar()->setStyle(toolkit::CachedLooksStyle());
    // A model reset clears the current row without this signal, so only the user's own
    // selection changes raise the click event.
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid() && !takingFocus_) {
                    selectionModel()->select(current, QItemSelectionModel::ClearAndSelect);
                    emit lineClicked();
                }
            });
}

int ResultList::CurrentRow() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

int ResultList::LineHeight() const {
    if (lineHeight_ == 0 && model_.rowCount() > 0) {
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        lineHeight_ = std::max(1, itemDelegate()->sizeHint(option, model_.index(0)).height());
    }
    return lineHeight_;
}

int ResultList::LinesPerPage() const {
    const int height = LineHeight();
    return height > 0 ? std::max(1, viewport()->height() / height) : 1;
}

std::pair<int, int> ResultList::RowsIn(int top, int bottom) const {
    const int height = LineHeight();
    const int offset = verticalOffset();
    if (height == 0 || bottom < top || bottom + offset < 0) return {0, -1};
    return {std::max(0, (top + offset) / height),
            std::min(model_.rowCount() - 1, (bottom + offset) / height)};
}

QRect ResultList::visualRect(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != &model_ || index.column() != 0) return {};
    const int height = LineHeight();
    return {0, index.row() * height - verticalOffset(), viewport()->width(), height};
}

void ResultList::scrollTo(const QModelIndex& index, ScrollHint hint) {
    if (!index.isValid() || index.model() != &model_) return;
    // The range may wait for the layout that follows a reset: bring it up to date first.
    updateGeometries();
    const int row = index.row();
    const int page = LinesPerPage();
    QScrollBar* bar = verticalScrollBar();
    int first = bar->value();
    switch (hint) {
        case EnsureVisible:
            if (row < first)
                first = row;
            else if (row >= first + page)
                first = row - page + 1;
            break;
        case PositionAtTop:
            first = row;
            break;
        case PositionAtBottom:
            first = row - page + 1;
            break;
        case PositionAtCenter:
            first = row - page / 2;
            break;
    }
    bar->setValue(first);
}

QModelIndex ResultList::indexAt(const QPoint& point) const {
    const int height = LineHeight();
    const int y = point.y() + verticalOffset();
    if (height == 0 || y < 0 || point.x() < 0 || point.x() >= viewport()->width()) return {};
    return model_.index(y / height, 0);
}

// The scroll bar learns its new range at once, so that it shows or hides with the new lines,
// and the lines in sight are painted anew: a reset that leaves the scroll bar where it was
// would otherwise leave the previous search's lines on screen.
void ResultList::reset() {
    ++generation_;
    QAbstractItemView::reset();
    updateGeometries();
    verticalScrollBar()->setValue(0);
    viewport()->update();
}

// One line up or down, a page less one line, or to either end; with no current line, any
// move goes to the first.
QModelIndex ResultList::moveCursor(CursorAction action, Qt::KeyboardModifiers) {
    const int rows = model_.rowCount();
    if (rows == 0) return {};
    const QModelIndex current = currentIndex();
    if (!current.isValid()) return model_.index(0);
    const int step = std::max(1, LinesPerPage() - 1);
    int row = current.row();
    switch (action) {
        case MoveUp:
        case MovePrevious:
            --row;
            break;
        case MoveDown:
        case MoveNext:
            ++row;
            break;
        case MovePageUp:
            row -= step;
            break;
        case MovePageDown:
            row += step;
            break;
        case MoveHome:
            row = 0;
            break;
        case MoveEnd:
            row = rows - 1;
            break;
        case MoveLeft:
        case MoveRight:
            break;
    }
    return model_.index(std::clamp(row, 0, rows - 1));
}

int ResultList::horizontalOffset() const {
    return 0;
}

int ResultList::verticalOffset() const {
    return verticalScrollBar()->value() * LineHeight();
}

bool ResultList::isIndexHidden(const QModelIndex&) const {
    return false;
}

void ResultList::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) {
    const QRect area = rect.normalized().intersected(viewport()->rect());
    const auto [first, last] = RowsIn(area.top(), area.bottom());
    if (area.isEmpty() || first > last) return selectionModel()->select(QItemSelection(), command);
    selectionModel()->select(QItemSelection(model_.index(first), model_.index(last)), command);
}

QRegion ResultList::visualRegionForSelection(const QItemSelection& selection) const {
    QRegion region;
    for (const QItemSelectionRange& range : selection) {
        if (!range.isValid()) continue;
        region +=
            visualRect(model_.index(range.top())).united(visualRect(model_.index(range.bottom())));
    }
    return region.intersected(viewport()->rect());
}

// Nothing to lay out but the scroll bar. A reset has asked for its repaint already, and a new
// font or style repaints the whole list anyway: a repaint here would paint the lines twice.
void ResultList::doItemsLayout() {
    updateGeometries();
}

void ResultList::updateGeometries() {
    const int page = LinesPerPage();
    QScrollBar* bar = verticalScrollBar();
    bar->setSingleStep(1);
    bar->setPageStep(page);
    bar->setRange(0, std::max(0, model_.rowCount() - page));
    horizontalScrollBar()->setRange(0, 0);
    QAbstractItemView::updateGeometries();
}

// The scroll bar counts lines; the viewport moves by pixels.
void ResultList::scrollContentsBy(int dx, int dy) {
    QAbstractItemView::scrollContentsBy(dx, dy * LineHeight());
}

// As an item view paints: each line the event's area touches, selected and holding the focus
// frame as the selection model and the focus say.
void ResultList::paintEvent(QPaintEvent* event) {
    const QRect area = event->rect();
    const auto [first, last] = RowsIn(area.top(), area.bottom());
    if (first > last) return;
    QPainter painter(viewport());
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    if (option.state & QStyle::State_Enabled) option.palette.setCurrentColorGroup(QPalette::Normal);
    const QStyle::State state = option.state;
    const QModelIndex current = currentIndex();
    const bool focused = hasFocus() || viewport()->hasFocus();
    for (int row = first; row <= last; ++row) {
        const QModelIndex index = model_.index(row);
        option.rect = visualRect(index);
        option.state = state;
        if (selectionModel()->isSelected(index)) option.state |= QStyle::State_Selected;
        if (focused && index == current) option.state |= QStyle::State_HasFocus;
        itemDelegate()->paint(&painter, option, index);
    }
}

void ResultList::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        lineHeight_ = 0;
    QAbstractItemView::changeEvent(event);
}

void ResultList::focusInEvent(QFocusEvent* event) {
    const bool hadCurrent = currentIndex().isValid();
    takingFocus_ = true;
    QAbstractItemView::focusInEvent(event);
    if (!hadCurrent) selectionModel()->clearCurrentIndex();
    takingFocus_ = false;
}

}  // namespace tarvel::windows
