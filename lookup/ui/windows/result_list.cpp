// The result list: a list model over one search result, shown in a list view.
#include "lookup/ui/windows/result_list.h"

namespace tarvel::windows {

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
