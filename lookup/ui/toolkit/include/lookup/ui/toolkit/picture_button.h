// A button showing an icon beside a caption of one or two lines; two-line captions are
// given with the program's CR LF line break. As on Windows, Enter clicks it as Space does.
#pragma once

#include <QToolButton>

namespace tarvel::toolkit {

class PictureButton : public QToolButton {
    Q_OBJECT
  public:
    PictureButton(const QIcon& icon, const QString& caption, const QString& tooltip,
                  QWidget* parent);
    void SetCaption(const QString& caption);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace tarvel::toolkit
