// Time from a keystroke in either search box to the list, panel and status line updated and
// painted, in the real main window shown offscreen. A figure counts only if the timed part
// ended with the new lines painted: after each keystroke, untimed, the list's pixels in the
// window's backing store are compared with the model's lines, and a mismatch fails the run.
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

// Two passes of the event loop: the second handles what the first posted, such as a repaint
// that a view schedules after laying itself out.
void ProcessEvents() {
    QApplication::processEvents();
    QApplication::processEvents();
}

// The measured part, in a function of its own so that callgrind can count it alone
// (--toggle-collect='*TimedKeystroke*').
__attribute__((noinline)) void TimedKeystroke(toolkit::TextBox* target, char c) {
    QTest::keyClick(target, c);
    ProcessEvents();
}

// Types the last character of text after the rest is already in the box, which the user
// entered by clicking its placeholder.
void BM_Keystroke(benchmark::State& state, toolkit::TextBox* MainWindow::*box,
                  void (MainWindowHarness::*clickPlaceholder)(), const char* text) {
    MainWindow& window = Harness().window();
    toolkit::TextBox* target = window.*box;
    (Harness().*clickPlaceholder)();
    const QString full = QString::fromLatin1(text);
    for (auto _ : state) {
        state.PauseTiming();
        target->setText(full.left(full.size() - 1));
        ProcessEvents();
        state.ResumeTiming();
        TimedKeystroke(target, full.back().toLatin1());
        state.PauseTiming();
        const bool painted = Harness().ListShowsItsLines();
        state.ResumeTiming();
        if (!painted) {
            state.SkipWithError("the list painted after the keystroke is not the model's");
            break;
        }
    }
    state.counters["lines"] = window.LstLaListe->Model().rowCount();
}

BENCHMARK_CAPTURE(BM_Keystroke, name_ST, &MainWindow::TxtCherche,
                  &MainWindowHarness::ClickNamePlaceholder, "ST")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Keystroke, name_SA, &MainWindow::TxtCherche,
                  &MainWindowHarness::ClickNamePlaceholder, "SA")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Keystroke, name_LA, &MainWindow::TxtCherche,
                  &MainWindowHarness::ClickNamePlaceholder, "LA")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Keystroke, postal_010, &MainWindow::TxtCP,
                  &MainWindowHarness::ClickPostalPlaceholder, "010")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Keystroke, postal_750, &MainWindow::TxtCP,
                  &MainWindowHarness::ClickPostalPlaceholder, "750")
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
