// The about window: its lines, the notice document beside the program, its buttons, and
// its modal opening from the main window.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <QTest>
#include <QTimer>
#include <functional>

#include "lookup/testing/windows_test_support.h"
#include "lookup/ui/windows/about_window.h"

namespace tarvel::windows {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

class AboutWindowTest : public ::testing::Test {
  protected:
    AboutWindowTest() {
        test.program.tables = DeliveredTables();
        test.program.strings.CheminProg = std::string(NOTICE_FOLDER) + "/";
    }
    TestProgram test;
};

TEST_F(AboutWindowTest, ShowsVersionCountAndFieldLines) {
    AboutWindow about(test.program, nullptr);
    EXPECT_EQ(about.windowTitle(), "Copyright");
    EXPECT_EQ(about.LblVersion->text(), "Version 1.00 - mai 2021");
    EXPECT_EQ(about.Lbl[0]->text(), QString::number(test.program.tables.postal.Count()) +
                                        " codes postaux et noms des communes de France");
    EXPECT_EQ(about.Lbl[4]->text(), "de  l ' Académie - Zone des vacances scolaires");
    EXPECT_EQ(about.Lbl[5]->text(), "Géolocalisation automatique  sur Google Maps");
    EXPECT_EQ(about.CmdQ->text(), "Fermer");
    EXPECT_EQ(about.CmdQ->toolTip(), "Fermer la fenêtre");
    EXPECT_THAT(about.Rtb1->toPlainText().toStdString(), HasSubstr("Licence Ouverte"));
    EXPECT_THAT(about.Rtb1->toPlainText().toStdString(), HasSubstr("Code officiel géographique"));
}

TEST_F(AboutWindowTest, MissingNoticeLeavesTheBoxEmpty) {
    test.program.strings.CheminProg = "/nonexistent/";
    AboutWindow about(test.program, nullptr);
    EXPECT_TRUE(about.Rtb1->toPlainText().isEmpty());
}

TEST_F(AboutWindowTest, SiteButtonOpensTheMakersSite) {
    AboutWindow about(test.program, nullptr);
    QTest::mouseClick(about.CmdSite, Qt::LeftButton);
    EXPECT_THAT(test.services.openedAddresses, ElementsAre(std::string(kMakerSite)));
    EXPECT_TRUE(test.services.messages.empty());
}

TEST(AboutFromMainWindow, OpensModallyAndEnterClosesIt) {
    MainWindowHarness ui(DeliveredTables());
    ui.program().strings.CheminProg = std::string(NOTICE_FOLDER) + "/";
    int opened = 0;
    for (int round = 0; round < 2; ++round) {
        QTimer::singleShot(0, [&] {
            auto* about = qobject_cast<AboutWindow*>(QApplication::activeModalWidget());
            ASSERT_NE(about, nullptr);
            EXPECT_TRUE(about->isModal());
            EXPECT_THAT(about->Rtb1->toPlainText().toStdString(), HasSubstr("Tarvel"));
            ++opened;
            QTest::keyClick(about->CmdFoc, Qt::Key_Return);
        });
        QTest::mouseClick(ui.window().CmdAbout, Qt::LeftButton);  // returns once closed
    }
    EXPECT_EQ(opened, 2);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// Every way a user closes the about window: Space or Enter (the hidden button holds the
// focus), Escape, a click on "Fermer", Enter or Space on "Fermer" once it has the focus.
TEST(AboutFromMainWindow, EveryWayOfClosingIt) {
    MainWindowHarness ui(DeliveredTables());
    const std::vector<std::function<void(AboutWindow&)>> ways = {
        [](AboutWindow& about) { QTest::keyClick(about.CmdFoc, Qt::Key_Space); },
        [](AboutWindow& about) { QTest::keyClick(about.CmdFoc, Qt::Key_Escape); },
        [](AboutWindow& about) { QTest::mouseClick(about.CmdQ, Qt::LeftButton); },
        [](AboutWindow& about) {
            about.CmdQ->setFocus();
            QTest::keyClick(about.CmdQ, Qt::Key_Return);
        },
        [](AboutWindow& about) {
            about.CmdQ->setFocus();
            QTest::keyClick(about.CmdQ, Qt::Key_Space);
        },
    };
    for (std::size_t way = 0; way < ways.size(); ++way) {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* about = qobject_cast<AboutWindow*>(QApplication::activeModalWidget());
            ASSERT_NE(about, nullptr);
            EXPECT_EQ(about->focusWidget(), about->CmdFoc) << way;
            seen = true;
            ways[way](*about);
        });
        // A way that does not close the window would leave this click waiting: close it then.
        QTimer rescue;
        rescue.setSingleShot(true);
        bool rescued = false;
        QObject::connect(&rescue, &QTimer::timeout, [&] {
            if (auto* open = QApplication::activeModalWidget()) {
                rescued = true;
                open->close();
            }
        });
        rescue.start(2000);
        QTest::mouseClick(ui.window().CmdAbout, Qt::LeftButton);  // returns once closed
        EXPECT_TRUE(seen) << way;
        EXPECT_FALSE(rescued) << "way " << way << " left the about window open";
    }
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
}  // namespace tarvel::windows
