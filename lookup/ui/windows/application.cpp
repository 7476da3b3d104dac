// The lookup program's run: start-up window, invisible loading, main window.
#include "lookup/ui/windows/application.h"

#include "loading_window.h"
#include "lookup/ui/windows/main_window.h"
#include "startup_window.h"

namespace tarvel::windows {

void DeleteLater::operator()(QObject* object) const {
    object->deleteLater();
}

Application::Application(Program& program) : program_(program) {}
Application::~Application() = default;

bool Application::Start() {
    startup_.reset(new StartupWindow(program_));
    connect(startup_.get(), &StartupWindow::handOver, this, &Application::HandOverToLoading);
    return startup_->Form_Load();
}

void Application::HandOverToLoading() {
    loading_.reset(new LoadingWindow(program_));
    connect(loading_.get(), &LoadingWindow::tablesLoaded, this, &Application::ShowMainWindow);
    connect(loading_.get(), &LoadingWindow::loadFailed, this, &Application::ReportDamagedTable);
    loading_->Form_Load();
    startup_->hide();
    startup_.reset();
}

void Application::ShowMainWindow() {
    main_.reset(new MainWindow(program_));
    connect(main_.get(), &MainWindow::loaded, this, [this] { loading_.reset(); });
    main_->show();
}

void Application::ReportDamagedTable(const QString& why) {
    program_.services.ShowMessage(why.toStdString(), program_.strings.TitreProg,
                                  platform::MessageIcon::Critical);
    loading_.reset();
    program_.endProgram(1);
}

}  // namespace tarvel::windows
