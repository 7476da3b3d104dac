// The loading window: fills the two tables, one timer tick each, then asks for the main window.
#include "lookup/ui/windows/loading_window.h"

#include "lookup/data/table_loader.h"

namespace tarvel::windows {
namespace {

constexpr int kPostalDelayMs = 100;
constexpr int kNameDelayMs = 200;

}  // namespace

LoadingWindow::LoadingWindow(Program& program) : program_(program) {
    setObjectName(QStringLiteral("Chargement"));
    connect(&TimCP, &QTimer::timeout, this, &LoadingWindow::TimCP_Timer);
    connect(&TimNom, &QTimer::timeout, this, &LoadingWindow::TimNom_Timer);
}

void LoadingWindow::Form_Load() { TimCP.start(kPostalDelayMs); }

namespace {

data::ResourceReader ReaderOf(platform::Services& services) {
    return [&services](int id, std::string_view type) { return services.CustomResource(id, type); };
}

}  // namespace

void LoadingWindow::TimCP_Timer() {
    TimCP.stop();
    try {
        program_.tables.postal = data::LoadTable(ReaderOf(program_.services), data::kPostalCodeTable);
    } catch (const data::TableError& error) {
        emit loadFailed(QString::fromUtf8(error.what()));
        return;
    }
    TimNom.start(kNameDelayMs);
}

void LoadingWindow::TimNom_Timer() {
    TimNom.stop();
    try {
        program_.tables.names = data::LoadTable(ReaderOf(program_.services), data::kNameTable);
    } catch (const data::TableError& error) {
        emit loadFailed(QString::fromUtf8(error.what()));
        return;
    }
    emit tablesLoaded();
}

}  // namespace tarvel::windows
