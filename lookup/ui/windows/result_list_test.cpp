// The result list as a user scrolls, pages and clicks through thousands of lines, and drawn
// line for line as Qt's own list view of uniform items draws the same lines.
#include <gtest/gtest.h>
#include <QListView>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <cmath>

#include "lookup/testing/windows_test_support.h"
#include "result_line_delegate.h"

namespace tarvel::windows {
namespace {

// The lines that "ST" lists: its communes, former communes and localities.
constexpr int kStLines = 4547;

class ResultListTest : public ::testing::Test {
  protected:
    MainWindowHarness ui{DeliveredTables()};
    ResultList& list = *ui.window().LstLaListe;

    void SetUp() override {
        ui.ClickNamePlaceholder();
        ui.TypeName(QStringLiteral("st"));
        QApplication::processEvents();
        ASSERT_EQ(list.Model().rowCount(), kStLines);
    }
    int LineHeight() { return list.visualRect(list.model()->index(0, 0)).height(); }
    int Page() { return list.viewport()->height() / LineHeight(); }
    QScrollBar& Bar() { return *list.verticalScrollBar(); }
    // The current line lies wholly inside the viewport.
    bool CurrentInSight() {
        return list.viewport()->rect().contains(list.visualRect(list.currentIndex()));
    }
    void Press(Qt::Key key) {
        QTest::keyClick(&list, key);
        QApplication::processEvents();
    }
};

TEST_F(ResultListTest, KeysMoveByLinePageAndEndAndKeepTheCurrentLineInSight) {
    list.setFocus(Qt::TabFocusReason);
    ASSERT_GT(Page(), 2);
    Press(Qt::Key_Down);
    EXPECT_EQ(list.CurrentRow(), 0);
    Press(Qt::Key_PageDown);
    EXPECT_EQ(list.CurrentRow(), Page() - 1);
    EXPECT_EQ(Bar().value(), 0);
    Press(Qt::Key_PageDown);
    EXPECT_EQ(list.CurrentRow(), 2 * (Page() - 1));
    EXPECT_TRUE(CurrentInSight());
    EXPECT_EQ(list.visualRect(list.currentIndex()).top(), (Page() - 1) * LineHeight());

    Press(Qt::Key_End);
    EXPECT_EQ(list.CurrentRow(), kStLines - 1);
    EXPECT_TRUE(CurrentInSight());
    EXPECT_EQ(Bar().value(), Bar().maximum());
    EXPECT_EQ(Bar().maximum(), kStLines - Page());
    EXPECT_EQ(ui.Caption(data::DetailLabel::Commune), ui.Lines().back());

    Press(Qt::Key_PageUp);
    EXPECT_EQ(list.CurrentRow(), kStLines - 1 - (Page() - 1));
    EXPECT_TRUE(CurrentInSight());
    Press(Qt::Key_Up);
    EXPECT_EQ(list.CurrentRow(), kStLines - 1 - Page());
    EXPECT_EQ(list.visualRect(list.currentIndex()).top(), 0);

    Press(Qt::Key_Home);
    EXPECT_EQ(list.CurrentRow(), 0);
    EXPECT_EQ(Bar().value(), 0);
    Press(Qt::Key_Up);
    Press(Qt::Key_PageUp);
    EXPECT_EQ(list.CurrentRow(), 0);
}

TEST_F(ResultListTest, AClickChoosesTheLineUnderThePointerWhereverTheListIsScrolled) {
    Bar().setValue(1000);
    QApplication::processEvents();
    const QPoint third(20, 2 * LineHeight() + LineHeight() / 2);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, third);
    EXPECT_EQ(list.CurrentRow(), 1002);
    EXPECT_EQ(ui.Caption(data::DetailLabel::Commune), ui.Lines()[1002]);
    EXPECT_EQ(list.indexAt(third).row(), 1002);

    // Below the last line of a short list there is no line to choose.
    ui.window().TxtCherche->clear();
    ui.TypeName(QStringLiteral("str"));
    QApplication::processEvents();
    ASSERT_EQ(list.Model().rowCount(), 7);
    EXPECT_FALSE(list.indexAt(QPoint(20, 8 * LineHeight())).isValid());
    EXPECT_FALSE(list.indexAt(QPoint(-1, 1)).isValid());
}

TEST_F(ResultListTest, TheWheelScrollsByLines) {
    const QPoint middle = list.viewport()->rect().center();
    QWheelEvent down(middle, list.viewport()->mapToGlobal(middle), QPoint(), QPoint(0, -120),
                     Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(list.viewport(), &down);
    QApplication::processEvents();
    EXPECT_EQ(Bar().value(), QApplication::wheelScrollLines());
    EXPECT_EQ(list.indexAt(QPoint(20, 1)).row(), QApplication::wheelScrollLines());
}

TEST_F(ResultListTest, EachSearchStartsAtTheTopWithAScrollBarOnlyWhenItOverflows) {
    EXPECT_TRUE(Bar().isVisible());
    Bar().setValue(Bar().maximum());
    ui.window().TxtCherche->clear();
    ui.TypeName(QStringLiteral("la"));
    QApplication::processEvents();
    EXPECT_EQ(Bar().value(), 0);
    EXPECT_EQ(Bar().maximum(), list.Model().rowCount() - Page());

    ui.window().TxtCherche->clear();
    ui.TypeName(QStringLiteral("str"));  // a few lines, no scroll bar
    ASSERT_LT(list.Model().rowCount(), Page());
    EXPECT_EVENTUALLY(!Bar().isVisible());
    EXPECT_EQ(Bar().maximum(), 0);
}

// Qt's list view of uniform items, over the same lines, font, size and line painter, in the
// same active window.
TEST_F(ResultListTest, LinesAreDrawnAsQtsListViewDrawsThem) {
    QListView reference(&ui.window());
    reference.setModel(&list.Model());
    reference.setUniformItemSizes(true);
    reference.setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    reference.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    reference.setItemDelegate(new ResultLineDelegate(&reference));
    reference.setFont(list.font());
    reference.setPalette(list.palette());
    reference.resize(list.size());
    reference.show();
    ui.SelectLine(40);
    ui.window().Foc->setFocus();
    reference.selectionModel()->select(list.model()->index(40, 0),
                                       QItemSelectionModel::ClearAndSelect);
    QApplication::processEvents();
    for (const int first : {0, 30, kStLines - Page()}) {
        Bar().setValue(first);
        reference.verticalScrollBar()->setValue(first);
        QApplication::processEvents();
        ASSERT_EQ(reference.viewport()->size(), list.viewport()->size());
        EXPECT_EQ(reference.viewport()->grab().toImage(), list.viewport()->grab().toImage())
            << "first line " << first;
    }
}

// A line is shown whole when it fits and cut with an ellipsis when not, whether or not its
// characters are all in the list's own font.
TEST_F(ResultListTest, ALineTooLongForTheListEndsWithAnEllipsis) {
    const QFontMetricsF metrics(list.font());
    const QString line = ui.Lines().front();
    const int exact = static_cast<int>(std::ceil(metrics.horizontalAdvance(line)));
    EXPECT_EQ(ShownLine(line, metrics, exact), line);
    const QString cut = ShownLine(line, metrics, exact - 2);
    EXPECT_TRUE(cut.endsWith(QChar(0x2026))) << cut.toStdString();
    EXPECT_LE(metrics.horizontalAdvance(cut), exact - 2);
    // Integral signs, which the list's fixed-pitch font lacks: they come from a wider font, so
    // counting them at the list font's widest character is not enough.
    const QString wide = QStringLiteral("75001 \u2A0C\u2A0C\u2A0C");
    const int room = static_cast<int>(wide.size() * metrics.maxWidth());
    ASSERT_GT(metrics.horizontalAdvance(wide), room);
    EXPECT_TRUE(ShownLine(wide, metrics, room).endsWith(QChar(0x2026)));
}

}  // namespace
}  // namespace tarvel::windows
