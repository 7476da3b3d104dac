// Where the windows stand on a real X display with a window manager, which adds a frame and
// title bar that the offscreen tests never see: the main window's outer frame is 12240 x 6060
// twips, centred across and a quarter of the free height from the top; the caption-less
// start-up window is centred.
#include <gtest/gtest.h>
#include <QScreen>

#include "lookup/testing/windows_test_support.h"
#include "lookup/ui/toolkit/twips.h"
#include "startup_window.h"

namespace tarvel::windows {
namespace {

QString Text(const QRect& r) {
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

TEST(PlacementUnderAWindowManager, TheMainWindowsFrameStandsWhereTheWindowSays) {
    ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "run under X with a window manager";
    MainWindowHarness ui{DeliveredTables()};
    MainWindow& window = ui.window();
    const QSize screen = QGuiApplication::primaryScreen()->size();
    const QSize outer(toolkit::TwipsToPixels(12240), toolkit::TwipsToPixels(6060));
    const QRect expected(
        QPoint((screen.width() - outer.width()) / 2, (screen.height() - outer.height()) / 4),
        outer);
    // The window manager decorates the window some time after it is shown.
    ASSERT_EVENTUALLY(window.windowHandle()->frameMargins().top() > 0);
    EXPECT_EVENTUALLY(window.frameGeometry() == expected);
    EXPECT_EQ(Text(window.frameGeometry()), Text(expected));
}

// Centred across, 500 twips above a third of the free height.
TEST(PlacementUnderAWindowManager, TheStartupWindowStandsCentredAcrossAboveTheThird) {
    TestProgram test;
    StartupWindow startup(test.program);
    ASSERT_TRUE(startup.Form_Load());
    ASSERT_EVENTUALLY(startup.isVisible() && startup.windowHandle()->isExposed());
    const QSize screen = toolkit::ScreenSizeInTwips();
    const int width = startup.width() * 1440 / startup.logicalDpiX();
    const int height = startup.height() * 1440 / startup.logicalDpiY();
    const QPoint expected(toolkit::TwipsToPixels((screen.width() - width) / 2),
                          toolkit::TwipsToPixels((screen.height() - height) / 3 - 500));
    EXPECT_LE((startup.frameGeometry().topLeft() - expected).manhattanLength(), 2)
        << Text(startup.frameGeometry()).toStdString();
    EXPECT_EQ(startup.frameGeometry().size(), startup.size())
        << "a caption-less window has no frame";
}

// At a large scale the window may not fit the screen: its frame stands inside the area the
// panels leave free as far as it can, from that area's left and top edges.
TEST(PlacementAtAnyScale, TheMainWindowsFrameStandsInsideTheFreeArea) {
    ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "run under X with a window manager";
    MainWindowHarness ui{DeliveredTables()};
    MainWindow& window = ui.window();
    ASSERT_EVENTUALLY(window.windowHandle()->frameMargins().top() > 0);
    ASSERT_EVENTUALLY(window.Placed());
    const QRect free = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect frame = window.frameGeometry();
    if (frame.width() <= free.width()) {
        EXPECT_GE(frame.left(), free.left());
        EXPECT_LE(frame.right(), free.right());
    } else {
        EXPECT_EQ(frame.left(), free.left());
    }
    if (frame.height() <= free.height()) {
        EXPECT_GE(frame.top(), free.top());
        EXPECT_LE(frame.bottom(), free.bottom());
    } else {
        EXPECT_EQ(frame.top(), free.top());
    }
    EXPECT_TRUE(free.intersects(frame))
        << Text(frame).toStdString() << " in " << Text(free).toStdString();
}

}  // namespace
}  // namespace tarvel::windows
