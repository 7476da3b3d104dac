// Time from a keystroke in either search box to the list, panel and status line updated and
// painted, in the real main window shown offscreen.
#include <benchmark/benchmark.h>
#include <QApplication>
#include <QTest>

#include "lookup/testing/windows_test_support.h"

namespace tarvel::windows {
namespace {

// Made and destroyed by main, while the application object exists.
MainWindowHarness* harness = nullptr;
MainWindowHarness& Harness() {
    return *harness;
}

// Types the last character of text after the rest is already in the box.
void BM_Keystroke(benchmark::State& state, toolkit::TextBox* MainWindow::*box, const char* text) {
    MainWindow& window = Harness().window();
    toolkit::TextBox* target = window.*box;
    const QString full = QString::fromLatin1(text);
    for (auto _ : state) {
        state.PauseTiming();
        target->setText(full.left(full.size() - 1));
        QApplication::processEvents();
        state.ResumeTiming();
        QTest::keyClick(target, full.back().toLatin1());
        QApplication::processEvents();
    }
    state.counters["lines"] = window.LstLaListe->Model().rowCount();
}

BENCHMARK_CAPTURE(BM_Keystroke, name_ST, &MainWindow::TxtCherche, "ST")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Keystroke, name_SA, &MainWindow::TxtCherche, "SA")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Keystroke, name_LA, &MainWindow::TxtCherche, "LA")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Keystroke, postal_010, &MainWindow::TxtCP, "010")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Keystroke, postal_750, &MainWindow::TxtCP, "750")
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tarvel::windows

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    auto shown =
        std::make_unique<tarvel::windows::MainWindowHarness>(tarvel::windows::DeliveredTables());
    tarvel::windows::harness = shown.get();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    shown.reset();
    benchmark::Shutdown();
    return 0;
}
