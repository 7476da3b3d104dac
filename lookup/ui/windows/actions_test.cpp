// The copy and web actions of the main window, through the recording platform services.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <QTest>

#include "lookup/testing/windows_test_support.h"

namespace tarvel::windows {
namespace {

using platform::MessageIcon;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::StartsWith;

class ActionsTest : public ::testing::Test {
  protected:
    ActionsTest() {
        ui.ClickPostalPlaceholder();
        ui.TypePostal("01000");
    }
    MainWindowHarness ui{DeliveredTables()};
};

TEST_F(ActionsTest, FullCopyPutsElevenLinesOnTheClipboardAndConfirms) {
    QTest::mouseClick(ui.window().CmdCopier, Qt::LeftButton);
    const std::string& copied = ui.services().clipboard;
    EXPECT_THAT(copied,
                StartsWith("Commune: 01000 BOURG EN BRESSE\r\nNom minuscule: Bourg-en-Bresse\r\n"
                           "Département: 01 Ain\r\nRégion: Auvergne-Rhône-Alpes\r\n"
                           "Code région:  84\r\nN°INSEE:  01053\r\nAcadémie: Lyon\r\n"
                           "Code académie:  10\r\nZone vacances:  A\r\nLatitude: "));
    EXPECT_EQ(std::count(copied.begin(), copied.end(), '\n'), 10);
    EXPECT_EQ(copied.substr(copied.rfind("\r\n") + 2, 11), "Longitude: ");
    ASSERT_EQ(ui.services().messages.size(), 1u);
    EXPECT_EQ(ui.services().messages[0].text,
              "Les données on été copiées dans le presse-papier.\r\n\r\n" + copied);
    EXPECT_EQ(ui.services().messages[0].title, "Tarvel");
    EXPECT_EQ(ui.services().messages[0].icon, MessageIcon::None);
}

TEST_F(ActionsTest, NameCopyPutsTheCapitalsLine) {
    QTest::mouseClick(ui.window().Pic1->ImgCopyTrue, Qt::LeftButton);
    EXPECT_EQ(ui.services().clipboard, "01000 BOURG EN BRESSE");
    ASSERT_EQ(ui.services().messages.size(), 1u);
    EXPECT_EQ(ui.services().messages[0].text,
              "Le nom de commune a été copiée dans le presse-papier.\r\n\r\n01000 BOURG EN BRESSE");
}

TEST_F(ActionsTest, ClipboardThatCannotBeWrittenIsReportedInsteadOfConfirmed) {
    ui.services().clipboardWorks = false;
    QTest::mouseClick(ui.window().CmdCopier, Qt::LeftButton);
    QTest::mouseClick(ui.window().Pic1->ImgCopyTrue, Qt::LeftButton);
    ASSERT_EQ(ui.services().messages.size(), 2u);
    for (const auto& message : ui.services().messages) {
        EXPECT_EQ(message.text, "Le presse-papier n'a pas pu être écrit : rien n'a été copié.");
        EXPECT_EQ(message.icon, MessageIcon::Exclamation);
    }
}

TEST_F(ActionsTest, DirectoryPageOpensTheCommuneAddress) {
    ui.SelectLine(1);
    QTest::mouseClick(ui.window().CmdExterne, Qt::LeftButton);
    EXPECT_THAT(ui.services().openedAddresses,
                ElementsAre("https://www.annuaire-des-mairies.com/01/saint-denis-les-bourg"));
    EXPECT_TRUE(ui.window().Foc->hasFocus());
    // Nothing is reported when the page cannot open.
    ui.services().openWorks = false;
    QTest::mouseClick(ui.window().CmdExterne, Qt::LeftButton);
    EXPECT_THAT(ui.services().messages, IsEmpty());
}

TEST_F(ActionsTest, MapPageStartsTheBrowserOnTheCoordinates) {
    QTest::mouseClick(ui.window().CmdGoogleMap, Qt::LeftButton);
    ASSERT_EQ(ui.services().browserStarts.size(), 1u);
    const std::string lat = ui.Caption(data::DetailLabel::Latitude).toStdString();
    const std::string lon = ui.Caption(data::DetailLabel::Longitude).toStdString();
    EXPECT_EQ(
        ui.services().browserStarts[0].second,
        "https://www.google.com/maps/dir//%20%20+%20%20" + lat + "%20%20+%20%20,%20%20" + lon);
    EXPECT_THAT(ui.services().messages, IsEmpty());
}

// 46 records have no coordinates: their labels stay empty and the map page searches the
// commune by name and postal code.
TEST_F(ActionsTest, ACommuneWithoutCoordinatesIsSearchedOnTheMapByNameAndPostalCode) {
    ui.window().TxtCP->setText("60500");
    ui.SelectLine(0);
    ASSERT_EQ(ui.Caption(data::DetailLabel::CommuneMin), "Chantilly");
    EXPECT_EQ(ui.Caption(data::DetailLabel::Latitude), "");
    EXPECT_EQ(ui.Caption(data::DetailLabel::Longitude), "");
    QTest::mouseClick(ui.window().CmdGoogleMap, Qt::LeftButton);
    ASSERT_EQ(ui.services().browserStarts.size(), 1u);
    EXPECT_EQ(ui.services().browserStarts[0].second,
              "https://www.google.com/maps/search/?api=1&query=Chantilly%2060500");

    ui.window().TxtCP->setText("74200");
    for (int row = 0; row < static_cast<int>(ui.Lines().size()); ++row) {
        ui.SelectLine(row);
        if (ui.Caption(data::DetailLabel::CommuneMin) == "Thonon-les-Bains") break;
    }
    ASSERT_EQ(ui.Caption(data::DetailLabel::CommuneMin), "Thonon-les-Bains");
    QTest::mouseClick(ui.window().CmdGoogleMap, Qt::LeftButton);
    ASSERT_EQ(ui.services().browserStarts.size(), 2u);
    EXPECT_EQ(ui.services().browserStarts[1].second,
              "https://www.google.com/maps/search/?api=1&query=Thonon-les-Bains%2074200");
}

// A former commune found by name shows, and acts for, the commune that holds it, under the
// former commune's postal code.
TEST_F(ActionsTest, AFormerCommuneLeadsToTheCommuneThatHoldsIt) {
    ui.ClickNamePlaceholder();
    ui.TypeName("Seynod");
    ASSERT_THAT(ui.Lines(), ElementsAre("74600 SEYNOD (ANNECY)"));
    ui.SelectLine(0);
    EXPECT_EQ(ui.Caption(data::DetailLabel::Commune), "74600 ANNECY");
    EXPECT_EQ(ui.Caption(data::DetailLabel::CommuneMin), "Annecy");
    EXPECT_EQ(ui.Caption(data::DetailLabel::Insee), " 74010");
    QTest::mouseClick(ui.window().Pic1->ImgCopyTrue, Qt::LeftButton);
    EXPECT_EQ(ui.services().clipboard, "74600 ANNECY");
    QTest::mouseClick(ui.window().CmdExterne, Qt::LeftButton);
    EXPECT_THAT(ui.services().openedAddresses,
                ElementsAre("https://www.annuaire-des-mairies.com/74/annecy"));
}

TEST_F(ActionsTest, MapPageFailuresKeepTheirWords) {
    ui.services().browser.reset();
    QTest::mouseClick(ui.window().CmdGoogleMap, Qt::LeftButton);
    ui.services().browser = "/usr/bin/browser";
    ui.services().browserStartWorks = false;
    QTest::mouseClick(ui.window().CmdGoogleMap, Qt::LeftButton);
    ASSERT_EQ(ui.services().messages.size(), 2u);
    EXPECT_EQ(ui.services().messages[0].text, "Could not your Browser");
    EXPECT_EQ(ui.services().messages[0].title, "Browser Not Found");
    EXPECT_EQ(ui.services().messages[1].text, "Web Page not Opened");
    EXPECT_EQ(ui.services().messages[1].title, "URL Failed");
    for (const auto& message : ui.services().messages)
        EXPECT_EQ(message.icon, MessageIcon::Exclamation);
}

TEST_F(ActionsTest, QuitEndsTheProgram) {
    QTest::mouseClick(ui.window().CmdQ, Qt::LeftButton);
    EXPECT_EQ(ui.EndedWith(), 0);
}

}  // namespace
}  // namespace tarvel::windows
