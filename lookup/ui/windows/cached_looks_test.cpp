// The picture buttons and the text boxes' frames, which show each of their looks from a cache,
// beside a plain widget that the style draws afresh each time: the same look in every state
// the user meets.
#include <gtest/gtest.h>
#include <QLineEdit>
#include <QScrollBar>
#include <QToolButton>
#include <algorithm>

#include "lookup/testing/windows_test_support.h"
#include "lookup/ui/toolkit/cached_looks.h"

namespace tarvel::windows {
namespace {

// The largest difference of one colour channel between two pictures of one size.
int LargestDifference(const QImage& a, const QImage& b) {
    const QImage left = a.convertToFormat(QImage::Format_ARGB32);
    const QImage right = b.convertToFormat(QImage::Format_ARGB32);
    if (left.size() != right.size()) return 256;
    int largest = 0;
    for (int y = 0; y < left.height(); ++y) {
        for (int x = 0; x < left.width(); ++x) {
            const QRgb p = left.pixel(x, y);
            const QRgb q = right.pixel(x, y);
            largest = std::max({largest, std::abs(qRed(p) - qRed(q)),
                                std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q))});
        }
    }
    return largest;
}

TEST(PictureButtonTest, EveryStateLooksAsTheStyleDrawsItAfresh) {
    MainWindowHarness ui{DeliveredTables()};
    toolkit::PictureButton& button = *ui.window().CmdCopier;
    // On a patch of the window's own background, over whatever lies there.
    QWidget patch(&ui.window());
    patch.setAutoFillBackground(true);
    patch.setGeometry(QRect(QPoint(0, 0), button.size()));
    QToolButton plain(&patch);
    plain.setIcon(button.icon());
    plain.setIconSize(button.iconSize());
    plain.setToolButtonStyle(button.toolButtonStyle());
    plain.setText(button.text());
    plain.resize(button.size());
    plain.setEnabled(button.isEnabled());
    patch.show();
    patch.raise();
    QApplication::processEvents();
    const auto same = [&] {
        return LargestDifference(ui.window().grab(button.geometry()).toImage(),
                                 ui.window().grab(patch.geometry()).toImage());
    };
    ASSERT_FALSE(button.isEnabled());
    const QString caption = button.text();
    const QImage disabled = button.grab().toImage();
    EXPECT_LE(same(), 1) << "disabled";
    button.setEnabled(true);
    plain.setEnabled(true);
    EXPECT_NE(button.grab().toImage(), disabled);
    EXPECT_LE(same(), 1) << "enabled";
    button.SetCaption(QStringLiteral("Autre\r\nlégende"));
    plain.setText(button.text());
    EXPECT_LE(same(), 1) << "new caption";
    button.setDown(true);
    plain.setDown(true);
    EXPECT_LE(same(), 1) << "pressed";
    button.setDown(false);
    button.setEnabled(false);
    button.SetCaption(caption);
    EXPECT_EQ(button.grab().toImage(), disabled);
}

TEST(TextBoxTest, EveryStateOfTheFrameLooksAsTheStyleDrawsItAfresh) {
    MainWindowHarness ui{DeliveredTables()};
    ui.ClickNamePlaceholder();
    ui.TypeName(QStringLiteral("st jean"));
    toolkit::TextBox& box = *ui.window().TxtCherche;
    // A plain line edit that the application's style draws, made like the box.
    QLineEdit twin(&ui.window());
    twin.setFont(box.font());
    twin.setPalette(box.palette());
    twin.setAlignment(box.alignment());
    twin.setText(box.text());
    twin.resize(box.size());
    twin.show();
    const int flashTime = QApplication::cursorFlashTime();
    QApplication::setCursorFlashTime(0);  // a caret that stays, not one that blinks
    // Each drawn alone on the window's background: in the window the caption above the box
    // overlaps its top.
    const auto boxLook = [&] { return box.grab().toImage(); };
    const auto twinLook = [&] { return twin.grab().toImage(); };

    ASSERT_TRUE(box.hasFocus());
    const QImage focused = boxLook();
    twin.setFocus();
    EXPECT_LE(LargestDifference(focused, twinLook()), 1) << "focused";
    ASSERT_FALSE(box.hasFocus());
    const QImage unfocused = boxLook();
    EXPECT_NE(unfocused, focused);
    ui.window().TxtCP->setFocus();
    EXPECT_LE(LargestDifference(unfocused, twinLook()), 1) << "unfocused";

    box.SetBackground(QColor(255, 255, 192));
    twin.setPalette(box.palette());
    EXPECT_LE(LargestDifference(boxLook(), twinLook()), 1) << "new background";
    box.setEnabled(false);
    twin.setEnabled(false);
    EXPECT_LE(LargestDifference(boxLook(), twinLook()), 1) << "disabled";
    QApplication::setCursorFlashTime(flashTime);
}

TEST(ScrollBarTest, EveryPlaceOfTheSliderLooksAsTheStyleDrawsItAfresh) {
    QWidget window;
    window.resize(100, 400);
    QScrollBar cached(Qt::Vertical, &window);
    cached.setStyle(toolkit::CachedLooksStyle());
    QScrollBar plain(Qt::Vertical, &window);
    for (QScrollBar* bar : {&cached, &plain}) {
        bar->setGeometry(bar == &cached ? 0 : 50, 0, 14, 308);
        bar->setPageStep(16);
    }
    window.show();
    const auto set = [&](int maximum, int value) {
        for (QScrollBar* bar : {&cached, &plain}) {
            bar->setRange(0, maximum);
            bar->setValue(value);
        }
    };
    const auto same = [&] {
        return LargestDifference(cached.grab().toImage(), plain.grab().toImage());
    };
    // A long list at its top, at one line down (the same slider place), in the middle and at
    // its end; a short list; a list that fits.
    for (const auto& [maximum, value] : std::vector<std::pair<int, int>>{
             {3945, 0}, {3945, 1}, {1980, 0}, {3945, 2000}, {3945, 3945}, {4, 0}, {4, 4}, {0, 0}}) {
        set(maximum, value);
        EXPECT_LE(same(), 1) << maximum << " " << value;
    }
    set(3945, 0);
    const QImage top = cached.grab().toImage();
    set(4, 2);
    EXPECT_NE(cached.grab().toImage(), top);

    const QPoint onSlider(7, 150);
    for (QScrollBar* bar : {&cached, &plain}) QTest::mousePress(bar, Qt::LeftButton, {}, onSlider);
    EXPECT_LE(same(), 1) << "slider held";
    for (QScrollBar* bar : {&cached, &plain}) {
        QTest::mouseRelease(bar, Qt::LeftButton, {}, onSlider);
        bar->setEnabled(false);
    }
    EXPECT_LE(same(), 1) << "disabled";
}

}  // namespace
}  // namespace tarvel::windows
