// The main window as the keyboard and the window system drive it: the status line kept when
// the window becomes active again, Enter on a button, tabbing into the list and through the
// window, and choosing lines with the arrow keys.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <QDialogButtonBox>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "lookup/testing/windows_test_support.h"
#include "lookup/ui/platform/qt_services.h"
#include "lookup/ui/toolkit/french_translations.h"

namespace tarvel::windows {
namespace {

// The message box on screen, if any.
QMessageBox* ShownBox() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(window);
        if (box != nullptr && box->isVisible()) return box;
    }
    return nullptr;
}

using data::DetailLabel;

// Another window takes the activation, then the main window gets it back.
void DeactivateAndReactivate(QWidget& window) {
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_EVENTUALLY(!window.isActiveWindow());
    window.activateWindow();
    ASSERT_EVENTUALLY(window.isActiveWindow());
    QApplication::processEvents();
}

class KeyboardFocusTest : public ::testing::Test {
  protected:
    MainWindowHarness ui{DeliveredTables()};
};

TEST_F(KeyboardFocusTest, TheStatusLineSurvivesTheWindowBecomingActiveAgain) {
    ui.ClickPostalPlaceholder();
    ui.TypePostal(QStringLiteral("75001"));
    const QString status = ui.Status();
    ASSERT_EQ(status, "Une commune a ce code postal.");
    DeactivateAndReactivate(ui.window());
    EXPECT_EQ(QApplication::focusWidget(), ui.window().TxtCP);
    EXPECT_EQ(ui.Status(), status);
    EXPECT_EQ(ui.window().ModeRecherche(), 1);

    // A popup that closes hands the focus back: no change of box either.
    QFocusEvent back(QEvent::FocusIn, Qt::PopupFocusReason);
    QApplication::sendEvent(ui.window().TxtCP, &back);
    EXPECT_EQ(ui.Status(), status);
}

TEST_F(KeyboardFocusTest, AMovingFocusStillSetsTheMode) {
    ui.ClickPostalPlaceholder();
    ui.TypePostal(QStringLiteral("75001"));
    QTest::keyClick(ui.window().TxtCP, Qt::Key_Tab);
    EXPECT_TRUE(ui.window().TxtCherche->hasFocus());
    EXPECT_EQ(ui.window().ModeRecherche(), 2);
    EXPECT_EQ(ui.Status(), "Entrez un nom de commune.");
}

// A real message box, through the program's Qt services: closing it activates the main
// window again, which must not rewrite what the search reported.
TEST(KeyboardFocusWithRealBoxes, ThePasteMessageLeavesTheSearchStatus) {
    platform::QtServices services;
    Program program{services, [](int) {},
                    ProgramStrings{"/opt/tarvel/", "\r\n", "Tarvel", kVersionText, ""},
                    DeliveredTables()};
    MainWindow window(program);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_EVENTUALLY(window.isActiveWindow());
    QTest::mouseClick(window.Txt2Foc, Qt::LeftButton);
    QStringList shown;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* box = ShownBox()) {
            shown << box->text();
            box->accept();
        }
    });
    closer.start(10);
    window.TxtCherche->insert(QStringLiteral("st#jean"));
    closer.stop();
    EXPECT_THAT(shown, ::testing::ElementsAre("Le caractere '' # '' n'est pas valide."));
    EXPECT_EQ(window.TxtCherche->text(), "STJEAN");
    // As the window manager does once the box is gone.
    window.activateWindow();
    ASSERT_EVENTUALLY(window.isActiveWindow());
    QApplication::processEvents();
    EXPECT_EQ(window.LblInfo->Caption(), "Aucun nom de commune n'a été trouvé.");
}

TEST_F(KeyboardFocusTest, EnterOnAFocusedButtonClicksIt) {
    ui.window().CmdQ->setFocus();
    QTest::keyClick(ui.window().CmdQ, Qt::Key_Return);
    ASSERT_EVENTUALLY(ui.EndedWith() == 0);
}

TEST_F(KeyboardFocusTest, TabbingIntoTheListSelectsNothingAndArrowsChooseLines) {
    ui.ClickNamePlaceholder();
    ui.TypeName(QStringLiteral("aast"));
    const QString firstMatch = ui.Caption(DetailLabel::Commune);
    QTest::keyClick(ui.window().TxtCherche, Qt::Key_Tab);
    ASSERT_TRUE(ui.window().LstLaListe->hasFocus());
    EXPECT_EQ(ui.window().LstLaListe->CurrentRow(), -1);
    EXPECT_EQ(ui.Caption(DetailLabel::Commune), firstMatch);

    ui.ClickNamePlaceholder();
    ui.window().TxtCherche->setText(QStringLiteral("PARIS"));
    ui.window().LstLaListe->setFocus(Qt::TabFocusReason);
    QTest::keyClick(ui.window().LstLaListe, Qt::Key_Down);
    EXPECT_EQ(ui.window().LstLaListe->CurrentRow(), 0);
    EXPECT_EQ(ui.Caption(DetailLabel::Commune), ui.Lines()[0]);
    QTest::keyClick(ui.window().LstLaListe, Qt::Key_Down);
    EXPECT_EQ(ui.window().LstLaListe->CurrentRow(), 1);
    EXPECT_EQ(ui.Caption(DetailLabel::Commune), ui.Lines()[1]);
}

TEST_F(KeyboardFocusTest, TabGoesThroughTheControlsInTheirOrder) {
    MainWindow& w = ui.window();
    ui.ClickPostalPlaceholder();
    ui.TypePostal(QStringLiteral("75001"));  // the action buttons are enabled now
    std::vector<QWidget*> order;
    for (int i = 0; i < 9; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order.push_back(QApplication::focusWidget());
    }
    // The invisible Foc is no stop: after Quitter, Tab comes back to the postal-code box.
    EXPECT_THAT(order,
                ::testing::ElementsAre(w.TxtCherche, w.LstLaListe, w.Pic1->ImgCopyTrue, w.CmdCopier,
                                       w.CmdExterne, w.CmdGoogleMap, w.CmdAbout, w.CmdQ, w.TxtCP));
}

// Keyboard users see what they type: Tab into a box hides its placeholder as a click does.
TEST_F(KeyboardFocusTest, TabIntoABoxHidesItsPlaceholder) {
    MainWindow& w = ui.window();
    ASSERT_TRUE(w.Foc->hasFocus());
    QTest::keyClick(w.Foc, Qt::Key_Tab);
    ASSERT_TRUE(w.TxtCP->hasFocus());
    EXPECT_FALSE(w.Txt1Foc->isVisible());
    EXPECT_EQ(w.ModeRecherche(), 1);
    QTest::keyClick(w.TxtCP, Qt::Key_Tab);
    ASSERT_TRUE(w.TxtCherche->hasFocus());
    EXPECT_FALSE(w.Txt2Foc->isVisible());
    EXPECT_EQ(w.ModeRecherche(), 2);
    ui.TypeName(QStringLiteral("aast"));
    EXPECT_THAT(ui.Lines(), ::testing::ElementsAre("64460 AAST"));
}

TEST_F(KeyboardFocusTest, TheNameCopyIconIsReachedAndPressedFromTheKeyboard) {
    ui.ClickNamePlaceholder();
    ui.TypeName(QStringLiteral("aast"));
    QTest::keyClick(ui.window().TxtCherche, Qt::Key_Tab);
    QTest::keyClick(ui.window().LstLaListe, Qt::Key_Tab);
    QWidget* icon = ui.window().Pic1->ImgCopyTrue;
    ASSERT_EQ(QApplication::focusWidget(), icon);
    QTest::keyClick(icon, Qt::Key_Space);
    EXPECT_EQ(ui.services().clipboard, "64460 AAST");
}

// On a dark desktop palette the boxes the design makes white show their text in black.
TEST(DarkPalette, TextOnTheWhiteBoxesIsDark) {
    const QPalette saved = QApplication::palette();
    QPalette dark = saved;
    dark.setColor(QPalette::Base, QColor(35, 38, 41));
    dark.setColor(QPalette::Text, QColor(252, 252, 252));
    dark.setColor(QPalette::Window, QColor(49, 54, 59));
    dark.setColor(QPalette::WindowText, QColor(252, 252, 252));
    QApplication::setPalette(dark);
    {
        MainWindowHarness ui{DeliveredTables()};
        ui.ClickPostalPlaceholder();
        ui.ClickNamePlaceholder();
        for (toolkit::TextBox* box : {ui.window().TxtCP, ui.window().TxtCherche}) {
            const QPalette shown = box->palette();
            EXPECT_LT(shown.color(QPalette::Text).lightness(), 64)
                << box->objectName().toStdString();
            EXPECT_GT(shown.color(QPalette::Base).lightness(), 200)
                << box->objectName().toStdString();
        }
    }
    QApplication::setPalette(saved);
}

// The labels are written once the list holds the new lines, in both searches.
TEST_F(KeyboardFocusTest, TheListIsFilledBeforeTheLabelsAreWritten) {
    std::vector<int> rowsWhenTheNameChanged;
    QObject::connect(ui.window().Pic1, &DetailPanel::communeNameChanged, [&] {
        rowsWhenTheNameChanged.push_back(ui.window().LstLaListe->Model().rowCount());
    });
    ui.ClickPostalPlaceholder();
    ui.TypePostal(QStringLiteral("010"));
    EXPECT_THAT(rowsWhenTheNameChanged, ::testing::ElementsAre(8));
    ui.ClickNamePlaceholder();
    ui.window().TxtCherche->setText(QStringLiteral("AAST"));
    // Emptied with the list already empty, then written with the one line there.
    EXPECT_THAT(rowsWhenTheNameChanged, ::testing::ElementsAre(8, 0, 1));
}

TEST_F(KeyboardFocusTest, FiveDigitsFitThePostalCodeBox) {
    toolkit::TextBox& box = *ui.window().TxtCP;
    EXPECT_TRUE(box.font().bold());
    EXPECT_LE(box.font().pointSizeF(), 18);
    for (const char* code : {"00000", "98890", "88888", "44444"})
        EXPECT_LE(QFontMetrics(box.font()).horizontalAdvance(QString::fromLatin1(code)),
                  box.TextRoom())
            << code;
}

// The buttons and the copy icon show the program's own pictures, whatever icon theme the
// desktop has (none here).
TEST_F(KeyboardFocusTest, ButtonsShowTheProgramsOwnPictures) {
    MainWindow& w = ui.window();
    for (QToolButton* button :
         {static_cast<QToolButton*>(w.CmdCopier), static_cast<QToolButton*>(w.CmdExterne),
          static_cast<QToolButton*>(w.CmdGoogleMap), static_cast<QToolButton*>(w.CmdAbout),
          static_cast<QToolButton*>(w.CmdQ), w.Pic1->ImgCopyTrue}) {
        const QImage image = button->icon().pixmap(button->iconSize()).toImage();
        ASSERT_FALSE(image.isNull()) << button->toolTip().toStdString();
        int transparent = 0, drawn = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                (qAlpha(image.pixel(x, y)) == 0 ? transparent : drawn)++;
        EXPECT_GT(transparent, 0) << button->toolTip().toStdString();
        EXPECT_GT(drawn, image.width() * image.height() / 8) << button->toolTip().toStdString();
    }
    EXPECT_FALSE(w.Pic1->ImgCopyFalse->pixmap().isNull());
}

// The program loads Qt's French texts at start: the boxes' context menu and the dialogs'
// standard buttons are French too.
TEST_F(KeyboardFocusTest, QtsOwnTextsAreFrench) {
    ASSERT_TRUE(toolkit::InstallFrenchTranslations(*QCoreApplication::instance()));
    const std::unique_ptr<QMenu> menu(ui.window().TxtCherche->createStandardContextMenu());
    QStringList texts;
    for (const QAction* action : menu->actions())
        if (!action->isSeparator())
            texts << action->text().remove(QLatin1Char('&')).section(QLatin1Char('\t'), 0, 0);
    EXPECT_THAT(texts, ::testing::ElementsAre("Annuler", "Rétablir", "Couper", "Copier", "Coller",
                                              "Supprimer", "Tout sélectionner"));
    QDialogButtonBox buttons(QDialogButtonBox::Close | QDialogButtonBox::Cancel);
    EXPECT_EQ(buttons.button(QDialogButtonBox::Close)->text().remove(QLatin1Char('&')), "Fermer");
    EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text().remove(QLatin1Char('&')), "Annuler");
}

}  // namespace
}  // namespace tarvel::windows
