// The result list: a list model over one search result, shown in a list view whose click
// event is raised when the user changes the selection by mouse or keyboard. Each line keeps
// the record behind it, so duplicate lines still show their own commune.
#pragma once

#include <QAbstractListModel>
#include <QListView>

#include "lookup/search/search_result.h"

namespace tarvel::windows {

// The table whose search filled the list, whose records the lines stand for.
enum class SearchedTable { PostalCodes, Names };

class ResultListModel : public QAbstractListModel {
    Q_OBJECT
  public:
    using QAbstractListModel::QAbstractListModel;

    // Replaces every line with those of a search, in one reset.
    void Show(search::SearchResult result, SearchedTable table);
    void Clear();

    int rowCount(const QModelIndex& parent = {}) const override;
    // The list view asks for every row's index when it lays out a reset list: answered
    // without the base class's virtual row and column counts.
    QModelIndex index(int row, int column = 0, const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    QString Line(int row) const;
    std::uint32_t RecordAt(int row) const {
        return result_.lines.Record(static_cast<std::size_t>(row));
    }
    SearchedTable Table() const { return table_; }

  private:
    search::SearchResult result_;
    SearchedTable table_ = SearchedTable::PostalCodes;
};

class ResultList : public QListView {
    Q_OBJECT
  public:
    explicit ResultList(QWidget* parent);
    ResultListModel& Model() { return model_; }
    // The selected row, or -1.
    int CurrentRow() const;

  signals:
    void lineClicked();

  protected:
    // Taking the focus selects nothing: the list view would make its first line current.
    void focusInEvent(QFocusEvent* event) override;

  private:
    ResultListModel model_;
    bool takingFocus_ = false;
};

}  // namespace tarvel::windows
