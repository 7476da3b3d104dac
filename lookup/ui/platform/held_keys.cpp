// A message box shown while the keys typed meanwhile are held, and posted once it is closed.
#include "held_keys.h"

#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QWindow>
#include <utility>

namespace tarvel::platform {

void HeldKeys::ShowAndHold(QDialog& box, const QPointer<QWidget>& typingInto) {
    QDialog* const outer = std::exchange(box_, &box);
    if (outer == nullptr) qApp->installEventFilter(this);
    box.setWindowModality(Qt::NonModal);
    QEventLoop loop;
    QObject::connect(&box, &QDialog::finished, &loop, &QEventLoop::quit);
    box.show();
    box.activateWindow();
    loop.exec(QEventLoop::DialogExec);
    box_ = outer;
    if (outer != nullptr) return;
    qApp->removeEventFilter(this);
    // Posted, not sent: a key that opens another box is handled by then, and the keys after
    // it are held again in their order.
    for (const Key& key : std::exchange(held_, {})) {
        if (!typingInto) break;
        QApplication::postEvent(typingInto,
                                new QKeyEvent(QEvent::KeyPress, key.key, key.modifiers, key.text));
        QApplication::postEvent(
            typingInto, new QKeyEvent(QEvent::KeyRelease, key.key, key.modifiers, key.text));
    }
}

bool HeldKeys::InsideBox(QObject* receiver) const {
    if (auto* window = qobject_cast<QWindow*>(receiver)) return window == box_->windowHandle();
    auto* widget = qobject_cast<QWidget*>(receiver);
    return widget != nullptr && widget->window() == box_;
}

bool HeldKeys::eventFilter(QObject* receiver, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
            break;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
            return !InsideBox(receiver);
        default:
            return QObject::eventFilter(receiver, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool closing =
        key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Escape;
    if (closing && InsideBox(receiver)) return false;
    if (closing) {
        // Typed before the box had the focus: it closes the box all the same.
        if (event->type() == QEvent::KeyPress) {
            if (key->key() == Qt::Key_Escape)
                box_->reject();
            else
                box_->accept();
        }
        return true;
    }
    // Taken here, the event reaches no widget: neither the box nor the window behind it.
    if (event->type() == QEvent::KeyPress)
        held_.push_back({key->key(), key->modifiers(), key->text()});
    return true;
}

}  // namespace tarvel::platform
