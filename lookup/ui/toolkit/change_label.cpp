// A label with a change event, whose caption is elided to fit and laid out once per change.
#include "lookup/ui/toolkit/change_label.h"

#include <QPainter>
#include <QResizeEvent>
#include <QStyleOption>
#include <algorithm>

namespace tarvel::toolkit {

namespace {

// Line breaks, tabs and other controls, which QPainter's text drawing treats specially.
bool HasControls(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) {
        return c.unicode() < 0x20 || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
    });
}

}  // namespace

ChangeLabel::ChangeLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
}

void ChangeLabel::SetCaption(const QString& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    ShowFitted();
    emit captionChanged();
}

void ChangeLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    const QEvent::Type type = event->type();
    if (type == QEvent::FontChange || type == QEvent::StyleChange ||
        type == QEvent::LayoutDirectionChange)
        ShowFitted();
}

void ChangeLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    ShowFitted();
}

void ChangeLabel::LayOut(const QString& text) {
    QTextOption option;
    option.setWrapMode(QTextOption::ManualWrap);
    option.setTextDirection(text.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight);
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    shown_.setText(text);
    shown_.setFont(font());
    shown_.setTextOption(option);
    shown_.setCacheEnabled(true);
    shown_.beginLayout();
    QTextLine line = shown_.createLine();
    if (line.isValid()) line.setLineWidth(std::max(0, TextArea().width()));
    shown_.endLayout();
}

void ChangeLabel::ShowFitted() {
    const int room = contentsRect().width() - 2 * margin();
    LayOut(caption_);
    if (shown_.lineCount() == 1 && shown_.lineAt(0).naturalTextWidth() > room)
        LayOut(fontMetrics().elidedText(caption_, Qt::ElideRight, room));
    setText(shown_.text());
    setToolTip(shown_.text() == caption_ ? QString() : caption_);
    // A screen reader reads the whole caption, not what fits.
    if (accessibleName() != caption_) setAccessibleName(caption_);
}

// Where QLabel puts its text: inside the frame and margin, and, in a framed label without an
// indent of its own, half an "x" further from the edges it is aligned to.
QRect ChangeLabel::TextArea() const {
    QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    int inset = indent();
    if (inset < 0 && frameWidth() != 0)
        inset = fontMetrics().horizontalAdvance(u'x') / 2 - margin();
    if (inset > 0) {
        const Qt::Alignment aligned =
            QStyle::visualAlignment(shown_.textOption().textDirection(), alignment());
        if (aligned & Qt::AlignLeft) area.setLeft(area.left() + inset);
        if (aligned & Qt::AlignRight) area.setRight(area.right() - inset);
        if (aligned & Qt::AlignTop) area.setTop(area.top() + inset);
        if (aligned & Qt::AlignBottom) area.setBottom(area.bottom() - inset);
    }
    return area;
}

// Draws the laid-out text where QLabel's style would draw it, in the same colour.
void ChangeLabel::paintEvent(QPaintEvent* event) {
    if (shown_.lineCount() != 1 || HasControls(shown_.text())) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    drawFrame(&painter);
    const QTextLine line = shown_.lineAt(0);
    const QRect area = TextArea();
    const Qt::Alignment aligned =
        QStyle::visualAlignment(shown_.textOption().textDirection(), alignment());
    const qreal height = line.ascent() + line.descent();
    const qreal advance = line.horizontalAdvance();
    qreal x = 0;
    if (aligned & Qt::AlignRight)
        x = area.width() - advance;
    else if (aligned & Qt::AlignHCenter)
        x = (area.width() - advance) / 2;
    qreal y = 0;
    if (aligned & Qt::AlignBottom)
        y = area.height() - height;
    else if (aligned & Qt::AlignVCenter)
        y = (area.height() - height) / 2;
    QStyleOption option;
    option.initFrom(this);
    painter.setPen(QPen(option.palette.brush(foregroundRole()), painter.pen().widthF()));
    shown_.draw(&painter, QPointF(area.x() + x, area.y() + y));
}

}  // namespace tarvel::toolkit
