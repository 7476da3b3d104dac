// The start-up window: sets the program-wide strings, refuses a second instance, shows the
// program's name for about half a second, then hands over to the loading window.
#pragma once

#include <QFrame>
#include <QLabel>
#include <QTimer>
#include <QWidget>

#include "lookup/ui/windows/program.h"

namespace tarvel::windows {

class StartupWindow : public QWidget {
    Q_OBJECT
  public:
    explicit StartupWindow(Program& program);

    // Runs the load; false when the program must end (another instance runs).
    bool Form_Load();

  signals:
    // TimFin ticked: the loading window takes over and this window goes.
    void handOver();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ArmHandOver();
    void TimFin_Timer();

    Program& program_;
    QFrame* Fra1;
    QLabel* Label1;
    QLabel* Lbl2;
    QLabel* LblVersion;
    QTimer TimFin;
};

}  // namespace tarvel::windows
