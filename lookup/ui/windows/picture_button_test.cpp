// The picture buttons, which show each of their looks from a cache, beside a plain tool button
// that the style draws afresh each time: the same look in every state the user meets.
#include <gtest/gtest.h>
#include <QToolButton>
#include <algorithm>

#include "lookup/testing/windows_test_support.h"

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

}  // namespace
}  // namespace tarvel::windows
