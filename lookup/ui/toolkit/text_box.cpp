// A text box with the change and got-focus events the windows rely on.
#include "lookup/ui/toolkit/text_box.h"

#include <QInputMethodEvent>
#include <QKeyEvent>

#include "lookup/ui/toolkit/cached_looks.h"

namespace tarvel::toolkit {

TextBox::TextBox(QWidget* parent) : QLineEdit(parent) {
    setStyle(CachedLooksStyle());
}

void TextBox::keyPressEvent(QKeyEvent* event) {
    const QString upper = event->text().toUpper();
    if (!typedInCapitals_ || upper == event->text()) return QLineEdit::keyPressEvent(event);
    QKeyEvent capital(event->type(), event->key(), event->modifiers(), event->nativeScanCode(),
                      event->nativeVirtualKey(), event->nativeModifiers(), upper,
                      event->isAutoRepeat(), static_cast<quint16>(event->count()));
    QLineEdit::keyPressEvent(&capital);
    event->setAccepted(capital.isAccepted());
}

void TextBox::inputMethodEvent(QInputMethodEvent* event) {
    const QString upper = event->commitString().toUpper();
    if (!typedInCapitals_ || upper == event->commitString())
        return QLineEdit::inputMethodEvent(event);
    QInputMethodEvent capital(event->preeditString(), event->attributes());
    capital.setCommitString(upper, event->replacementStart(), event->replacementLength());
    QLineEdit::inputMethodEvent(&capital);
    event->setAccepted(capital.isAccepted());
}

}  // namespace tarvel::toolkit
