// The result list for screen readers: the list, and one interface per line asked for, made
// again after every new search.
#include "result_list_accessible.h"

#include <QItemSelectionModel>

namespace tarvel::windows {
namespace {

class ResultLineAccessible : public QAccessibleInterface {
  public:
    ResultLineAccessible(ResultListAccessible* list, int row, std::uint64_t generation)
        : list_(list), row_(row), generation_(generation) {}

    bool isValid() const override {
        return list_->isValid() && list_->Current(generation_) &&
               row_ < list_->List()->Model().rowCount();
    }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return list_->window(); }
    QAccessibleInterface* parent() const override { return list_; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    void setText(QAccessible::Text, const QString&) override {}

    QString text(QAccessible::Text kind) const override {
        if (!isValid() || (kind != QAccessible::Name && kind != QAccessible::Value)) return {};
        return list_->List()->Model().Line(row_);
    }

    QRect rect() const override {
        if (!isValid()) return {};
        const ResultList& list = *list_->List();
        const QRect line = list.visualRect(list.Model().index(row_));
        return {list.viewport()->mapToGlobal(line.topLeft()), line.size()};
    }

    QAccessible::State state() const override {
        QAccessible::State state;
        state.selectable = true;
        state.focusable = true;
        if (!isValid()) return state;
        const ResultList& list = *list_->List();
        const QModelIndex index = list.Model().index(row_);
        state.selected = list.selectionModel()->isSelected(index);
        state.active = list.currentIndex() == index;
        state.focused = state.active && list.hasFocus();
        state.invisible = !list.viewport()->rect().intersects(list.visualRect(index));
        state.offscreen = state.invisible;
        return state;
    }

  private:
    ResultListAccessible* list_;
    int row_;
    std::uint64_t generation_;
};

QAccessibleInterface* Factory(const QString& className, QObject* object) {
    if (className != QLatin1String(ResultList::staticMetaObject.className())) return nullptr;
    return new ResultListAccessible(static_cast<ResultList*>(object));
}

}  // namespace

ResultListAccessible::ResultListAccessible(ResultList* list)
    : QAccessibleWidget(list, QAccessible::List) {}

ResultListAccessible::~ResultListAccessible() {
    ForgetLines();
}

void ResultListAccessible::InstallFactory() {
    static const bool installed = [] {
        QAccessible::installFactory(Factory);
        return true;
    }();
    (void)installed;
}

// Lines of an earlier search are no lines of this one: their interfaces go.
void ResultListAccessible::ForgetLines() const {
    for (const auto& [row, id] : std::exchange(lines_, {}))
        QAccessible::deleteAccessibleInterface(id);
}

int ResultListAccessible::childCount() const {
    return isValid() ? List()->Model().rowCount() : 0;
}

QAccessibleInterface* ResultListAccessible::child(int index) const {
    if (index < 0 || index >= childCount()) return nullptr;
    if (!Current(generation_)) {
        ForgetLines();
        generation_ = List()->Generation();
    }
    if (const auto known = lines_.find(index); known != lines_.end())
        return QAccessible::accessibleInterface(known->second);
    auto* line =
        new ResultLineAccessible(const_cast<ResultListAccessible*>(this), index, generation_);
    lines_[index] = QAccessible::registerAccessibleInterface(line);
    return line;
}

int ResultListAccessible::indexOfChild(const QAccessibleInterface* child) const {
    for (const auto& [row, id] : lines_)
        if (QAccessible::accessibleInterface(id) == child) return row;
    return -1;
}

QAccessibleInterface* ResultListAccessible::focusChild() const {
    const int row = List()->CurrentRow();
    return row >= 0 && List()->hasFocus() ? child(row) : nullptr;
}

QAccessibleInterface* ResultListAccessible::childAt(int x, int y) const {
    const ResultList& list = *List();
    const QModelIndex index = list.indexAt(list.viewport()->mapFromGlobal(QPoint(x, y)));
    return index.isValid() ? child(index.row()) : nullptr;
}

}  // namespace tarvel::windows
