// What a screen reader is given through Qt's accessibility interface: the result list as a
// list of its lines, with the current and selected line, renewed by every search; and the
// value labels' whole captions, not the part that fits.
#include <gtest/gtest.h>
#include <QAccessible>

#include "lookup/testing/windows_test_support.h"

namespace tarvel::windows {
namespace {

using data::DetailLabel;

class AccessibilityTest : public ::testing::Test {
  protected:
    MainWindowHarness ui{DeliveredTables()};
    QAccessibleInterface* List() {
        return QAccessible::queryAccessibleInterface(ui.window().LstLaListe);
    }
};

TEST_F(AccessibilityTest, TheListExposesItsLinesAndTheCurrentOne) {
    ui.ClickNamePlaceholder();
    ui.TypeName(QStringLiteral("paris 1"));
    QAccessibleInterface* list = List();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->role(), QAccessible::List);
    ASSERT_EQ(list->childCount(), 11);
    EXPECT_EQ(list->child(0)->text(QAccessible::Name), "75010 PARIS 10");
    EXPECT_EQ(list->child(10)->role(), QAccessible::ListItem);
    EXPECT_EQ(list->child(10)->text(QAccessible::Name), "75019 PARIS 19");
    EXPECT_EQ(list->indexOfChild(list->child(3)), 3);

    ui.SelectLine(2);
    ui.window().LstLaListe->setFocus();
    QAccessibleInterface* current = list->focusChild();
    ASSERT_NE(current, nullptr);
    EXPECT_EQ(current->text(QAccessible::Name), "75012 PARIS 12");
    EXPECT_TRUE(current->state().selected);
    EXPECT_TRUE(current->state().focused);
    EXPECT_FALSE(list->child(1)->state().selected);

    // A new search: the lines are the new ones, and an old line's interface is gone.
    QAccessibleInterface* old = list->child(0);
    const QAccessible::Id oldId = QAccessible::uniqueId(old);
    ui.window().TxtCherche->setText(QStringLiteral("aast"));
    ASSERT_EQ(list->childCount(), 1);
    EXPECT_EQ(list->child(0)->text(QAccessible::Name), "64460 AAST");
    EXPECT_NE(QAccessible::accessibleInterface(oldId), old);
}

TEST_F(AccessibilityTest, ValueLabelsExposeTheirWholeCaption) {
    ui.ClickNamePlaceholder();
    ui.TypeName(QStringLiteral("st remy en bouzemont"));
    toolkit::ChangeLabel* label = &ui.window().Pic1->ValueLabel(DetailLabel::CommuneMin);
    const QString whole = ui.Caption(DetailLabel::CommuneMin);
    ASSERT_EQ(whole, "Saint-Remy-en-Bouzemont-Saint-Genest-et-Isson");
    ASSERT_NE(label->text(), whole) << "the caption fits: the test proves nothing";
    QAccessibleInterface* shown = QAccessible::queryAccessibleInterface(label);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->text(QAccessible::Name), whole);
}

}  // namespace
}  // namespace tarvel::windows
