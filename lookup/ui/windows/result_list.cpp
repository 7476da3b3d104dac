// The result list: a list model over one search result, shown in a list view.
#include "lookup/ui/windows/result_list.h"

#include <QApplication>
#include <QPainter>
#include <QStyledItemDelegate>

namespace tarvel::windows {
namespace {

// Draws a line as the style's item view does (its panel, one line of text, its focus frame),
// without the general item layout, which asks the model for a dozen roles and lays the text
// out for wrapping: a list refilled at each keystroke paints in a fraction of the time.
class ResultLineDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QWidget* view = option.widget;
        QStyle* style = view != nullptr ? view->style() : QApplication::style();
        QStyleOptionViewItem item(option);
        item.viewItemPosition = QStyleOptionViewItem::OnlyOne;
        style->drawPrimitive(QStyle::PE_PanelItemViewItem, &item, painter, view);
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
        const QRect room = option.rect.adjusted(margin, 0, -margin, 0);
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette::ColorGroup group =
            !(option.state & QStyle::State_Enabled) ? QPalette::Disabled
            : (option.state & QStyle::State_Active) ? QPalette::Normal
                                                    : QPalette::Inactive;
        painter->save();
        painter->setFont(option.font);
        painter->setPen(
            option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
        const QString line = index.data(Qt::DisplayRole).toString();
        painter->drawText(room, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
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
};

}  // namespace

void ResultListModel::Show(search::SearchResult result, SearchedTable table) {
    beginResetModel();
    result_ = std::move(result);
    table_ = table;
    endResetModel();
}

void ResultListModel::Clear() {
    if (result_.lines.empty()) return;
    Show({}, table_);
}

int ResultListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(result_.lines.size());
}

QModelIndex ResultListModel::index(int row, int column, const QModelIndex& parent) const {
    const bool inside = row >= 0 && static_cast<std::size_t>(row) < result_.lines.size();
    return inside && column == 0 && !parent.isValid() ? createIndex(row, 0) : QModelIndex();
}

QVariant ResultListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) return {};
    return Line(index.row());
}

QString ResultListModel::Line(int row) const {
    const std::string line = result_.lines[static_cast<std::size_t>(row)];
    return QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
}

ResultList::ResultList(QWidget* parent) : QListView(parent), model_(this) {
    setModel(&model_);
    setUniformItemSizes(true);
    setItemDelegate(new ResultLineDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
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

void ResultList::focusInEvent(QFocusEvent* event) {
    const bool hadCurrent = currentIndex().isValid();
    takingFocus_ = true;
    QListView::focusInEvent(event);
    if (!hadCurrent) selectionModel()->clearCurrentIndex();
    takingFocus_ = false;
}

int ResultList::CurrentRow() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() : -1;
}

}  // namespace tarvel::windows
