// Starts the lookup program: the application object, the platform services, and the
// start-up window, which leads to the main window.
#include <QApplication>

#include "lookup/ui/platform/qt_services.h"
#include "lookup/ui/toolkit/french_translations.h"
#include "lookup/ui/toolkit/program_icon.h"
#include "lookup/ui/windows/application.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarvel"));
    QApplication::setWindowIcon(tarvel::toolkit::ProgramIcon());
    tarvel::toolkit::InstallFrenchTranslations(app);
    tarvel::platform::QtServices services;
    tarvel::windows::Program program{services, [](int code) { QApplication::exit(code); }, {}, {}};
    tarvel::windows::Application tarvel(program);
    if (!tarvel.Start()) return 0;
    return QApplication::exec();
}
