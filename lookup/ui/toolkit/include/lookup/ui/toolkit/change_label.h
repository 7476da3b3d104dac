// A label with a change event: captionChanged is raised, at once and nested inside the
// setter, whenever the caption changes, and not when it is set to what it already holds.
// A caption too long for the label shows its beginning and "…", the whole of it in a tooltip;
// Caption() is always the whole caption.
#pragma once

#include <QLabel>
#include <QResizeEvent>

namespace tarvel::toolkit {

class ChangeLabel : public QLabel {
    Q_OBJECT
  public:
    using QLabel::QLabel;

    void SetCaption(const QString& caption) {
        if (caption == caption_) return;
        caption_ = caption;
        ShowFitted();
        emit captionChanged();
    }
    QString Caption() const { return caption_; }

  signals:
    void captionChanged();

  protected:
    void resizeEvent(QResizeEvent* event) override {
        QLabel::resizeEvent(event);
        ShowFitted();
    }

  private:
    void ShowFitted() {
        const int room = contentsRect().width() - 2 * margin();
        const QString shown = fontMetrics().elidedText(caption_, Qt::ElideRight, room);
        setText(shown);
        setToolTip(shown == caption_ ? QString() : caption_);
    }

    QString caption_;
};

}  // namespace tarvel::toolkit
