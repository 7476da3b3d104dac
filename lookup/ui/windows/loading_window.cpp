// The loading window: fills the two tables, one timer tick each, then asks for the main window.
#include "loading_window.h"

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

void LoadingWindow::Form_Load() {
    TimCP.start(kPostalDelayMs);
}

namespace {

data::ResourceReader ReaderOf(platform::Services& services) {
    return [&services](int id, std::string_view type) { return services.CustomResource(id, type); };
}

}  // namespace

bool LoadingWindow::LoadStep(data::CommuneTable& into, const data::TableFormat& format) {
    try {
        into = data::LoadTable(ReaderOf(program_.services), format);
        return true;
    } catch (const data::TableError& error) {
        emit loadFailed(QString::fromUtf8(error.what()));
        return false;
    }
}

void LoadingWindow::TimCP_Timer() {
    TimCP.stop();
    if (LoadStep(program_.tables.postal, data::kPostalCodeTable)) TimNom.start(kNameDelayMs);
}

void LoadingWindow::TimNom_Timer() {
    TimNom.stop();
    if (LoadStep(program_.tables.names, data::kNameTable)) emit tablesLoaded();
}

}  // namespace tarvel::windows
