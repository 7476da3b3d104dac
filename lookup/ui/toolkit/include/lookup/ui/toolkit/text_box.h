// A text box with the events the windows rely on: its change event is QLineEdit's
// textChanged (raised at once, nested inside setText, also when code sets the text, and not
// when the text stays the same); gotFocus is raised when the focus comes to it from another
// control, not when its window becomes active again or a menu or popup closes.
#pragma once

#include <QFocusEvent>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>

namespace tarvel::toolkit {

class TextBox : public QLineEdit {
    Q_OBJECT
  public:
    explicit TextBox(QWidget* parent = nullptr);

    // Letters typed (keys and input methods) go in as capitals, so that the text needs no
    // change from code afterwards, which would wipe the box's undo history.
    void SetTypedInCapitals(bool capitals) { typedInCapitals_ = capitals; }

    // The design's backgrounds are light: its text is black on them, whatever the desktop's
    // palette (a dark one has near-white text).
    void SetBackground(const QColor& colour) {
        QPalette p = palette();
        p.setColor(QPalette::Base, colour);
        p.setColor(QPalette::Text, Qt::black);
        setPalette(p);
    }

    // The width that text has inside the box, without frame, margins and caret.
    int TextRoom() const {
        QStyleOptionFrame option;
        initStyleOption(&option);
        const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
        // QLineEdit keeps 2 pixels on either side of the text and 1 for the caret.
        constexpr int kInnerMargins = 2 * 2 + 1;
        return contents.width() - textMargins().left() - textMargins().right() - kInnerMargins;
    }

    // Keeps the font's look but lowers its size, half a point at a time, until the widest
    // text the box may hold fits in it.
    void FitFontTo(const QString& widest) {
        QFont fitted = font();
        while (QFontMetrics(fitted).horizontalAdvance(widest) > TextRoom() &&
               fitted.pointSizeF() > 6)
            fitted.setPointSizeF(fitted.pointSizeF() - 0.5);
        setFont(fitted);
    }

  signals:
    void gotFocus();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusInEvent(QFocusEvent* event) override {
        QLineEdit::focusInEvent(event);
        const Qt::FocusReason reason = event->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            emit gotFocus();
    }

  private:
    bool typedInCapitals_ = false;
};

}  // namespace tarvel::toolkit
