// Keys typed while a message box is shown: the box takes only Enter and Escape, which close
// it; every other key is held and reaches the widget the user was typing into once it is
// closed, in the order typed, so that typing on at speed after a report loses nothing.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <vector>

namespace tarvel::platform {

class HeldKeys : public QObject {
  public:
    // Holds keys from now on; the calls nest, one per box shown.
    void Begin();
    // The box is closed: when no other box is shown, the held keys are posted to the widget.
    void End(const QPointer<QWidget>& typingInto);

  protected:
    bool eventFilter(QObject* receiver, QEvent* event) override;

  private:
    struct Key {
        int key;
        Qt::KeyboardModifiers modifiers;
        QString text;
    };
    std::vector<Key> held_;
    int depth_ = 0;
};

}  // namespace tarvel::platform
