// A label with a change event: captionChanged is raised, at once and nested inside the
// setter, whenever the caption changes, and not when it is set to what it already holds.
#pragma once

#include <QLabel>

namespace tarvel::toolkit {

class ChangeLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

    void SetCaption(const QString& caption) {
        if (caption == text()) return;
        setText(caption);
        emit captionChanged();
    }
    QString Caption() const { return text(); }

signals:
    void captionChanged();
};

}  // namespace tarvel::toolkit
