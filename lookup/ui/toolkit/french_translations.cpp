// Qt's own texts in French.
#include "lookup/ui/toolkit/french_translations.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace tarvel::toolkit {

bool InstallFrenchTranslations(QCoreApplication& application) {
    // Owned by the application, which keeps it installed for its whole life.
    auto* translator = new QTranslator(&application);
    const QLocale french(QLocale::French, QLocale::France);
    if (!translator->load(french, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

}  // namespace tarvel::toolkit
