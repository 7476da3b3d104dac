// A message box that holds the keys typed while it is shown: it takes only Enter and Escape,
// which close it, and clicks inside it; every other key is held and reaches the widget the user
// was typing into once it is closed, in the order typed, so that typing on at speed after a
// report loses nothing. The other windows take no clicks meanwhile, as under a modal box.
// (A modal box would not do: the window system's keys for a window it blocks are dropped before
// any filter sees them, and the user's next keys go there until the box has the focus.)
#pragma once

#include <QDialog>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <vector>

namespace tarvel::platform {

class HeldKeys : public QObject {
  public:
    // Shows the box and returns once it is closed, then gives the held keys to the widget.
    void ShowAndHold(QDialog& box, const QPointer<QWidget>& typingInto);

  protected:
    bool eventFilter(QObject* receiver, QEvent* event) override;

  private:
    bool InsideBox(QObject* receiver) const;

    struct Key {
        int key;
        Qt::KeyboardModifiers modifiers;
        QString text;
    };
    std::vector<Key> held_;
    QDialog* box_ = nullptr;
};

}  // namespace tarvel::platform
