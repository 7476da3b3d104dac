// A label with a change event: captionChanged is raised, at once and nested inside the
// setter, whenever the caption changes, and not when it is set to what it already holds.
// A caption too long for the label shows its beginning and "…", the whole of it in a tooltip;
// Caption() is always the whole caption, shown as plain text.
#pragma once

#include <QLabel>
#include <QTextLayout>

namespace tarvel::toolkit {

class ChangeLabel : public QLabel {
    Q_OBJECT
  public:
    explicit ChangeLabel(QWidget* parent = nullptr);

    void SetCaption(const QString& caption);
    QString Caption() const { return caption_; }

  signals:
    void captionChanged();

  protected:
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void ShowFitted();
    void LayOut(const QString& text);
    QRect TextArea() const;

    QString caption_;
    // The shown text laid out once on one line, so that a repaint only draws its glyphs.
    QTextLayout shown_;
};

}  // namespace tarvel::toolkit
