// Keys held while a message box is shown, and posted once it is closed.
#include "held_keys.h"

#include <QApplication>
#include <QKeyEvent>
#include <utility>

namespace tarvel::platform {

void HeldKeys::Begin() {
    if (depth_++ == 0) qApp->installEventFilter(this);
}

void HeldKeys::End(const QPointer<QWidget>& typingInto) {
    if (--depth_ > 0) return;
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

bool HeldKeys::eventFilter(QObject* receiver, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride)
        return QObject::eventFilter(receiver, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            return false;
        default:
            break;
    }
    // Taken here, the event is offered to no widget: the box never sees it.
    if (type == QEvent::KeyPress) held_.push_back({key->key(), key->modifiers(), key->text()});
    return true;
}

}  // namespace tarvel::platform
