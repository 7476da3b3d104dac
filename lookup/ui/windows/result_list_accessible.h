// What screen readers learn of the result list: a list whose children are its lines, each
// with its text, and with the states of the current line and of the selection.
#pragma once

#include <QAccessibleWidget>
#include <unordered_map>

#include "lookup/ui/windows/result_list.h"

namespace tarvel::windows {

class ResultListAccessible : public QAccessibleWidget {
  public:
    explicit ResultListAccessible(ResultList* list);
    ~ResultListAccessible() override;

    // Installed once: the factory that gives every result list this interface.
    static void InstallFactory();

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* focusChild() const override;
    QAccessibleInterface* childAt(int x, int y) const override;

    ResultList* List() const { return static_cast<ResultList*>(widget()); }
    // Whether a line's interface still stands for the lines the list holds now.
    bool Current(std::uint64_t generation) const { return generation == List()->Generation(); }

  private:
    void ForgetLines() const;

    mutable std::unordered_map<int, QAccessible::Id> lines_;
    mutable std::uint64_t generation_ = 0;
};

}  // namespace tarvel::windows
