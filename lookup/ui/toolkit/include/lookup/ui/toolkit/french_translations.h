// Qt's own texts in French: the text boxes' context menus, the standard buttons of dialogs,
// from the translations Debian installs beside Qt.
#pragma once

#include <QCoreApplication>

namespace tarvel::toolkit {

// False when the translations are not installed: Qt's texts then stay English.
bool InstallFrenchTranslations(QCoreApplication& application);

}  // namespace tarvel::toolkit
