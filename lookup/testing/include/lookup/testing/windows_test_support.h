// A program for window tests: recording platform services, the delivered or hand-made
// tables, and helpers to type, select and read what the windows show.
#pragma once

#include <gtest/gtest.h>
#include <QApplication>
#include <QString>
#include <QTest>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "lookup/testing/eventually.h"
#include "lookup/testing/recording_services.h"
#include "lookup/ui/windows/main_window.h"
#include "lookup/ui/windows/program.h"
#include "lookup/ui/windows/version.h"

// Readable QString values in test failures.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace tarvel::windows {

struct TestProgram {
    platform::RecordingServices services;
    int endedWith = -1;
    Program program{services,
                    [this](int code) { endedWith = code; },
                    ProgramStrings{"/opt/tarvel/", "\r\n", "Tarvel", kVersionText, ""},
                    {}};
};

// The pixels of a widget as the window system holds them for its window (the X server's under
// xcb, the backing store's offscreen), not a fresh rendering; and its fresh rendering.
QImage HeldPixels(const QWidget& widget);
QImage RenderedPixels(QWidget& widget);

// The delivered tables, loaded once per test run and copied for each test.
CommuneTables DeliveredTables();

// A shown main window over the given tables.
class MainWindowHarness {
  public:
    explicit MainWindowHarness(CommuneTables tables);
    ~MainWindowHarness();

    MainWindow& window() { return *window_; }
    platform::RecordingServices& services() { return test_.services; }
    Program& program() { return test_.program; }
    int EndedWith() const { return test_.endedWith; }

    void ClickPostalPlaceholder();
    void ClickNamePlaceholder();
    void TypePostal(const QString& text);  // keystrokes into TxtCP
    void TypeName(const QString& text);    // keystrokes into TxtCherche
    void SelectLine(int row);              // a mouse click on a list line
    std::vector<QString> Lines();
    QString Caption(data::DetailLabel label);
    QString Status();
    // Whether the list's pixels, as the window system holds them, are those of the lines the
    // model holds now; the first line of each that differs, for a failure's message.
    bool ListShowsItsLines();
    QString PaintedListMismatch();

  private:
    TestProgram test_;
    std::unique_ptr<MainWindow> window_;
};

}  // namespace tarvel::windows
