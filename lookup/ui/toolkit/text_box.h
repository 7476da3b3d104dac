// A text box with the events the windows rely on: its change event is QLineEdit's
// textChanged (raised at once, nested inside setText, also when code sets the text, and not
// when the text stays the same); gotFocus is raised when the focus comes to it from another
// control, not when its window becomes active again or a menu or popup closes.
#pragma once

#include <QFocusEvent>
#include <QLineEdit>

namespace tarvel::toolkit {

class TextBox : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

    void SetBackground(const QColor& colour) {
        QPalette p = palette();
        p.setColor(QPalette::Base, colour);
        setPalette(p);
    }

signals:
    void gotFocus();

protected:
    void focusInEvent(QFocusEvent* event) override {
        QLineEdit::focusInEvent(event);
        const Qt::FocusReason reason = event->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) emit gotFocus();
    }
};

}  // namespace tarvel::toolkit
