// What the user sees on a real X display with a window manager: after every keystroke of a
// sequence of searches, the result list's pixels as the X server holds them are those of the
// lines the list's model holds, not those of an earlier search.
#include <gtest/gtest.h>
#include <QWindow>

#include "lookup/testing/windows_test_support.h"

namespace tarvel::windows {
namespace {

class ScreenTest : public ::testing::Test {
  protected:
    MainWindowHarness ui{DeliveredTables()};

    void SetUp() override {
        ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "run under X with a window manager";
        ASSERT_EVENTUALLY(ui.window().windowHandle()->isExposed());
    }
    // Each key, then the list as the user sees it; "<" is a Backspace, "*" Ctrl+A.
    void TypeAndLook(QWidget* box, const QString& keys, const QString& what) {
        QString typed;
        for (const QChar key : keys) {
            if (key == QLatin1Char('<')) {
                QTest::keyClick(box, Qt::Key_Backspace);
                typed += QStringLiteral("⌫");
            } else if (key == QLatin1Char('*')) {
                QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
                typed += QStringLiteral("^A");
            } else {
                QTest::keyClick(box, key.toLatin1());
                typed += key;
            }
            // The first keystroke whose lines never show is the finding; the rest would
            // only wait out the bound again.
            if (!QTest::qWaitFor([&] { return ui.ListShowsItsLines(); }, kGenerousWaitMs)) {
                ADD_FAILURE() << what.toStdString() << ", after \"" << typed.toStdString()
                              << "\": " << ui.PaintedListMismatch().toStdString() << "; status "
                              << ui.Status().toStdString();
                return;
            }
        }
    }
};

TEST_F(ScreenTest, EveryPostalKeystrokeShowsItsOwnLines) {
    ui.ClickPostalPlaceholder();
    QWidget* box = ui.window().TxtCP;
    TypeAndLook(box, QStringLiteral("13008<<"), QStringLiteral("Marseille"));
    TypeAndLook(box, QStringLiteral("*99999"), QStringLiteral("after Marseille, no such code"));
    TypeAndLook(box, QStringLiteral("*750<<<010<<<"), QStringLiteral("Paris, Ain"));
}

TEST_F(ScreenTest, EveryNameKeystrokeShowsItsOwnLines) {
    ui.ClickNamePlaceholder();
    QWidget* box = ui.window().TxtCherche;
    TypeAndLook(box, QStringLiteral("ST REMY EN<<<<<<<<<<ZU"), QStringLiteral("after St Remy, Zu"));
    TypeAndLook(box, QStringLiteral("<<SAINT JEAN<<<<<<<<<<LA"), QStringLiteral("Saint Jean, La"));
}

// A line clicked is the line shown there: after "ZU", the second line on screen is the
// second of the six ZU lines.
TEST_F(ScreenTest, AClickedLineIsTheOneShownThere) {
    ui.ClickNamePlaceholder();
    QWidget* box = ui.window().TxtCherche;
    TypeAndLook(box, QStringLiteral("ST REMY EN<<<<<<<<<<ZU"), QStringLiteral("Zu"));
    ASSERT_EQ(ui.Lines().size(), 6u);
    ui.SelectLine(1);
    EXPECT_EQ(ui.Caption(data::DetailLabel::Commune), ui.Lines()[1]);
    EXPECT_EVENTUALLY(ui.ListShowsItsLines()) << ui.PaintedListMismatch().toStdString();
}

}  // namespace
}  // namespace tarvel::windows
