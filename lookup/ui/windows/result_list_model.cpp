// The result list's model: the lines of one search result, each with the record behind it.
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

}  // namespace tarvel::windows
