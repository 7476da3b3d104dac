// A text box with the events the windows rely on: its change event is QLineEdit's
// textChanged (raised at once, nested inside setText, also when code sets the text, and not
// when the text stays the same); gotFocus is raised whenever it takes the keyboard focus.
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
        emit gotFocus();
    }
};

}  // namespace tarvel::toolkit
