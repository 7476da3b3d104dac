// netpull-demo: a small host window for the download control, the way control authors ship a
// test container: URL and save-as fields, a Download button, the control and an event log.
#include <QApplication>
#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>

#include "netpull/http/control/http_control.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Netpull demo"));
    auto* url = new QLineEdit(QStringLiteral("http://127.0.0.1:8080/"), &window);
    auto* saveAs = new QLineEdit(QStringLiteral("/tmp/netpull-download"), &window);
    auto* download = new QPushButton(QStringLiteral("Download"), &window);
    auto* control = new netpull::http::HTTP(&window);
    auto* log = new QPlainTextEdit(&window);
    log->setReadOnly(true);
    auto* fields = new QFormLayout;
    fields->addRow(QStringLiteral("URL"), url);
    fields->addRow(QStringLiteral("Save as"), saveAs);
    auto* layout = new QVBoxLayout(&window);
    layout->addLayout(fields);
    layout->addWidget(download);
    layout->addWidget(control);
    layout->addWidget(log, 1);

    QObject::connect(control, &netpull::http::HTTP::FoundServer, log,
                     [log] { log->appendPlainText(QStringLiteral("FoundServer")); });
    QObject::connect(
        control, &netpull::http::HTTP::Progress, log, [log](qint32 bytes, qint32 ofBytes) {
            log->appendPlainText(QStringLiteral("Progress %1 of %2").arg(bytes).arg(ofBytes));
        });
    QObject::connect(control, &netpull::http::HTTP::Downloaded, log,
                     [log] { log->appendPlainText(QStringLiteral("Downloaded")); });
    QObject::connect(
        control, &netpull::http::HTTP::Error, log,
        [log](qint32 number, const QString& description) {
            log->appendPlainText(QStringLiteral("Error %1 %2").arg(number).arg(description));
        });
    QObject::connect(download, &QPushButton::clicked, control, [=] {
        std::string target = url->text().toStdString();
        std::string file = saveAs->text().toStdString();
        try {
            control->Download(target, file);
            url->setText(QString::fromStdString(target));
        } catch (const netpull::SocketError& error) {
            log->appendPlainText(QStringLiteral("Download failed: %1 %2")
                                     .arg(error.Number())
                                     .arg(QString::fromStdString(error.Description())));
        }
    });
    window.show();
    return QApplication::exec();
}
