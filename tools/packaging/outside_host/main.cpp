// Places the download control in a window of its own and downloads one URL into one file:
// exit status 0 after Downloaded, 1 after Error.
#include <QApplication>
#include <QVBoxLayout>
#include <QWidget>
#include <cstdio>
#include <string>

#include "netpull/http/control/http_control.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: outside_host URL FILE\n");
        return 2;
    }
    QApplication app(argc, argv);
    QWidget window;
    auto* control = new netpull::http::HTTP(&window);
    (new QVBoxLayout(&window))->addWidget(control);
    window.show();
    QObject::connect(control, &netpull::http::HTTP::Downloaded, [] { QApplication::exit(0); });
    QObject::connect(control, &netpull::http::HTTP::Error, [](int number, const QString& text) {
        std::fprintf(stderr, "Error %d %s\n", number, text.toUtf8().constData());
        QApplication::exit(1);
    });
    std::string url = argv[1];
    std::string file = argv[2];
    control->Download(url, file);
    return app.exec();
}
