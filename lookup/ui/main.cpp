// Starts the lookup program: loads the two commune tables from the program's resources
// and, until the search windows exist, shows how many communes each holds.
#include <QApplication>
#include <QLabel>
#include <QMessageBox>

#include "lookup/data/table_loader.h"
#include "lookup/ui/platform/qt_resources.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tarvel"));
    try {
        using namespace tarvel::data;
        const CommuneTable postal = LoadTable(tarvel::platform::ReadCustomResource, kPostalCodeTable);
        const CommuneTable names = LoadTable(tarvel::platform::ReadCustomResource, kNameTable);
        QLabel counts(QStringLiteral("LISTEPARCP : %1 communes\nLISTEPARNOM : %2 communes")
                          .arg(postal.Count())
                          .arg(names.Count()));
        counts.setWindowTitle(QStringLiteral("Tarvel"));
        counts.setMargin(24);
        counts.show();
        return QApplication::exec();
    } catch (const tarvel::data::TableError& error) {
        QMessageBox::critical(nullptr, QStringLiteral("Tarvel"), QString::fromUtf8(error.what()));
        return 1;
    }
}
