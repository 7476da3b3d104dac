// The result list: a list model over one search result, shown in a view of one column of
// lines of one height, whose click event is raised when the user changes the selection by
// mouse or keyboard. Each line keeps the record behind it, so duplicate lines still show their
// own commune.
#pragma once

#include <QAbstractItemView>
#include <QAbstractListModel>

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

// Lays its lines out by arithmetic, as they all have the height of one line of its font:
// refilling it with thousands of lines costs no more than the lines it shows. It scrolls,
// moves and pages as a list view of uniform items scrolled by item does.
class ResultList : public QAbstractItemView {
    Q_OBJECT
  public:
    explicit ResultList(QWidget* parent);
    ResultListModel& Model() { return model_; }
    const ResultListModel& Model() const { return model_; }
    // The selected row, or -1.
    int CurrentRow() const;
    // Counts the resets: a screen reader's line of an earlier search is no line of this one.
    std::uint64_t Generation() const { return generation_; }

    QRect visualRect(const QModelIndex& index) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint& point) const override;
    // A new search shows its first lines.
    void reset() override;
    void doItemsLayout() override;

  signals:
    void lineClicked();

  protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    bool isIndexHidden(const QModelIndex& index) const override;
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    // Taking the focus selects nothing: an item view would make its first line current.
    void focusInEvent(QFocusEvent* event) override;

  private:
    // The height of every line, from the delegate, known once the list has a line.
    int LineHeight() const;
    // The lines wholly inside the viewport: a page, as the scroll bar counts it.
    int LinesPerPage() const;
    // The first and last rows that a band of the viewport, in its own coordinates, touches.
    std::pair<int, int> RowsIn(int top, int bottom) const;

    ResultListModel model_;
    mutable int lineHeight_ = 0;
    bool takingFocus_ = false;
    std::uint64_t generation_ = 0;
};

}  // namespace tarvel::windows
