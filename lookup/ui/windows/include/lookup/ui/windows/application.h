// The lookup program's run: the start-up window, then the invisible loading, then the main
// window. Owns the windows and hands over from one to the next.
#pragma once

#include <QObject>
#include <memory>

#include "lookup/ui/windows/program.h"

namespace tarvel::windows {

class StartupWindow;
class LoadingWindow;
class MainWindow;

// Deletes a Qt object once control is back in the event loop, so a window may be let go
// from inside one of its own handlers.
struct DeleteLater {
    void operator()(QObject* object) const;
};
template <typename T>
using WindowPtr = std::unique_ptr<T, DeleteLater>;

class Application : public QObject {
    Q_OBJECT
  public:
    explicit Application(Program& program);
    ~Application() override;

    // Shows the start-up window; false when the program must end at once.
    bool Start();

    StartupWindow* Startup() const { return startup_.get(); }
    MainWindow* Main() const { return main_.get(); }
    bool Loading() const { return loading_ != nullptr; }

  private:
    void HandOverToLoading();
    void ShowMainWindow();
    void ReportDamagedTable(const QString& why);

    Program& program_;
    WindowPtr<StartupWindow> startup_;
    WindowPtr<LoadingWindow> loading_;
    WindowPtr<MainWindow> main_;
};

}  // namespace tarvel::windows
