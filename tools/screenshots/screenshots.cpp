// Renders the main window after a name search and the about window, headless, into PNG
// files for the documentation.
// Usage: tarvel_screenshots OUTPUT_FOLDER
#include <QApplication>
#include <QDir>
#include <QTest>
#include <cstdio>

#include "lookup/testing/windows_test_support.h"
#include "lookup/ui/windows/about_window.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tarvel_screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarvel"));
    const QDir out(QString::fromLocal8Bit(argv[1]));
    using namespace tarvel::windows;

    MainWindowHarness ui(DeliveredTables());
    ui.ClickNamePlaceholder();
    ui.TypeName(QStringLiteral("st jean"));
    ui.SelectLine(2);
    QApplication::processEvents();
    const bool mainSaved = ui.window().grab().save(out.filePath(QStringLiteral("main-window.png")));

    ui.program().strings.CheminProg = std::string(NOTICE_FOLDER) + "/";
    AboutWindow about(ui.program(), nullptr);
    about.show();
    QApplication::processEvents();
    const bool aboutSaved = about.grab().save(out.filePath(QStringLiteral("about-window.png")));
    return mainSaved && aboutSaved ? 0 : 1;
}
