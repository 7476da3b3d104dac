// The main window driven like a user would: placeholders, focus modes, typing in either box,
// selecting lines, and what the list, the panel and the status line then show.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <QTest>

#include "lookup/data/table_loader.h"
#include "lookup/search/name_entry.h"
#include "lookup/testing/windows_test_support.h"

namespace tarvel::windows {
namespace {

using data::DetailLabel;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

QColor Background(QWidget* box) {
    return box->palette().color(QPalette::Base);
}

class MainWindowTest : public ::testing::Test {
  protected:
    MainWindowHarness ui{DeliveredTables()};

    void ExpectPanelEmpty() {
        for (std::size_t i = 0; i < data::kDetailLabelCount; ++i)
            EXPECT_EQ(ui.Caption(static_cast<DetailLabel>(i)), "") << i;
        EXPECT_FALSE(ui.window().CmdCopier->isEnabled());
        EXPECT_FALSE(ui.window().CmdExterne->isEnabled());
        EXPECT_FALSE(ui.window().CmdGoogleMap->isEnabled());
        EXPECT_FALSE(ui.window().Pic1->ImgCopyTrue->isVisible());
        EXPECT_TRUE(ui.window().Pic1->ImgCopyFalse->isVisible());
    }

    void ExpectBourgEnBresse() {
        EXPECT_EQ(ui.Caption(DetailLabel::Commune), "01000 BOURG EN BRESSE");
        EXPECT_EQ(ui.Caption(DetailLabel::CommuneMin), "Bourg-en-Bresse");
        EXPECT_EQ(ui.Caption(DetailLabel::Departement), "01 Ain");
        EXPECT_EQ(ui.Caption(DetailLabel::Region), "Auvergne-Rhône-Alpes");
        EXPECT_EQ(ui.Caption(DetailLabel::CodeRegion), " 84");
        EXPECT_EQ(ui.Caption(DetailLabel::Insee), " 01053");
        EXPECT_EQ(ui.Caption(DetailLabel::Academie), "Lyon");
        EXPECT_EQ(ui.Caption(DetailLabel::CodeAca), " 10");
        EXPECT_EQ(ui.Caption(DetailLabel::ZoneVac), " A");
        EXPECT_TRUE(ui.window().CmdCopier->isEnabled());
        EXPECT_TRUE(ui.window().Pic1->ImgCopyTrue->isVisible());
    }
};

TEST_F(MainWindowTest, OpensEmptyWithBothPlaceholders) {
    MainWindow& w = ui.window();
    EXPECT_EQ(w.windowTitle(), "RECHERCHER - Tarvel et communes de France");
    EXPECT_EQ(ui.Status(), "");
    EXPECT_THAT(ui.Lines(), IsEmpty());
    ExpectPanelEmpty();
    EXPECT_TRUE(w.Txt1Foc->isVisible());
    EXPECT_TRUE(w.Txt2Foc->isVisible());
    EXPECT_EQ(w.Txt1Foc->text(), "Ex: 75001");
    EXPECT_EQ(w.Txt2Foc->text(), "Ex: ST JEAN LE BLANC");
    EXPECT_EQ(w.ModeRecherche(), 0);
    EXPECT_EQ(w.CmdCopier->text(), "Copier les\ndonnées");
    EXPECT_EQ(w.CmdGoogleMap->text(), "Géolocaliser la commune\nsur Google Maps");
    EXPECT_EQ(w.CmdQ->toolTip(), "Quitter le programme");
}

TEST_F(MainWindowTest, PlaceholdersHandTheFocusToTheirBoxesAndSetTheMode) {
    MainWindow& w = ui.window();
    ui.ClickPostalPlaceholder();
    EXPECT_FALSE(w.Txt1Foc->isVisible());
    EXPECT_TRUE(w.TxtCP->hasFocus());
    EXPECT_EQ(w.ModeRecherche(), 1);
    EXPECT_EQ(Background(w.TxtCP), QColor(255, 255, 255));
    EXPECT_EQ(Background(w.TxtCherche), QColor(224, 224, 224));
    EXPECT_EQ(ui.Status(), "Dans la zone de texte entrez un n° de CP.");

    ui.ClickNamePlaceholder();
    EXPECT_FALSE(w.Txt2Foc->isVisible());
    EXPECT_TRUE(w.TxtCherche->hasFocus());
    EXPECT_EQ(w.ModeRecherche(), 2);
    EXPECT_EQ(Background(w.TxtCherche), QColor(255, 255, 255));
    EXPECT_EQ(Background(w.TxtCP), QColor(224, 224, 224));
    EXPECT_EQ(ui.Status(), "Entrez un nom de commune.");

    // A placeholder never comes back, even when its box is emptied.
    w.TxtCP->setFocus();
    w.TxtCP->clear();
    EXPECT_FALSE(w.Txt1Foc->isVisible());
    EXPECT_EQ(w.ModeRecherche(), 1);
}

TEST_F(MainWindowTest, PostalCodeSearchAsTheUserTypes) {
    ui.ClickPostalPlaceholder();
    ui.TypePostal("01");
    EXPECT_THAT(ui.Lines(), IsEmpty());
    ui.TypePostal("0");
    EXPECT_EQ(ui.Lines().size(), 8u);
    EXPECT_EQ(ui.Status(), "8 communes trouvées.");
    ExpectBourgEnBresse();
    EXPECT_EQ(ui.window().LstLaListe->CurrentRow(), -1);

    ui.TypePostal("00");
    EXPECT_THAT(ui.Lines(), ElementsAre("01000 BOURG EN BRESSE", "01000 ST DENIS LES BOURG"));
    EXPECT_EQ(ui.Status(), "2 communes trouvées.");
    ui.TypePostal("9");  // a sixth character does not fit
    EXPECT_EQ(ui.window().TxtCP->text(), "01000");

    // Deleting back to two characters empties everything.
    for (int i = 0; i < 3; ++i) QTest::keyClick(ui.window().TxtCP, Qt::Key_Backspace);
    EXPECT_THAT(ui.Lines(), IsEmpty());
    EXPECT_EQ(ui.Status(), "");
    ExpectPanelEmpty();
}

TEST_F(MainWindowTest, PostalCodeSpecialCases) {
    ui.ClickPostalPlaceholder();
    ui.TypePostal("75001");
    EXPECT_EQ(ui.Status(), "Une commune a ce code postal.");
    ui.window().TxtCP->setText("98890");
    EXPECT_THAT(ui.Lines(), ElementsAre("98890 PAITA"));
    EXPECT_EQ(ui.Caption(DetailLabel::CodeRegion), " .");
    EXPECT_EQ(ui.Caption(DetailLabel::ZoneVac), " .");
    for (const char* typed : {"99999", "abc"}) {
        ui.window().TxtCP->setText(typed);
        EXPECT_THAT(ui.Lines(), IsEmpty());
        EXPECT_EQ(ui.Status(), "Ce code postal est inexistant.");
        ExpectPanelEmpty();
    }
}

TEST_F(MainWindowTest, NameSearchCleansAndSearches) {
    ui.ClickNamePlaceholder();
    ui.TypeName("aast");
    EXPECT_EQ(ui.window().TxtCherche->text(), "AAST");
    EXPECT_EQ(ui.window().TxtMiroir->text(), "AAST");
    EXPECT_THAT(ui.Lines(), ElementsAre("64460 AAST"));
    EXPECT_EQ(ui.Status(), "Une commune trouvée.");
    EXPECT_EQ(ui.Caption(DetailLabel::CommuneMin), "Aast");

    ui.window().TxtCherche->clear();
    ui.TypeName("st");
    EXPECT_EQ(ui.Lines().front(), "22400 ST AARON (LAMBALLE ARMOR)");
    EXPECT_EQ(ui.Status(), QString::number(ui.Lines().size()) + " communes trouvées.");

    ui.window().TxtCherche->setText("saint-étienne");
    EXPECT_EQ(ui.window().TxtMiroir->text(), "SAINT ETIENNE");
    EXPECT_EQ(ui.Lines().front(), "42000 ST ETIENNE");
    EXPECT_EQ(ui.Status(), QString::number(ui.Lines().size()) + " communes trouvées.");

    ui.window().TxtCherche->setText("Évry");
    EXPECT_EQ(ui.window().TxtCherche->text(), "ÉVRY") << "the box keeps what was typed";
    EXPECT_EQ(ui.window().TxtMiroir->text(), "EVRY");
    EXPECT_EQ(ui.Lines().front(), "89140 EVRY");

    ui.window().TxtCherche->setText("st jean le blanc");
    EXPECT_THAT(ui.Lines(), ElementsAre("45650 ST JEAN LE BLANC",
                                        "14770 ST JEAN LE BLANC (TERRES DE DRUANCE)"));

    ui.window().TxtCherche->setText("zz");
    EXPECT_THAT(ui.Lines(), IsEmpty());
    EXPECT_EQ(ui.Status(), "Aucun nom de commune n'a été trouvé.");

    ui.window().TxtCherche->setText("y");
    EXPECT_THAT(ui.Lines(), IsEmpty());
    EXPECT_EQ(ui.Status(), "");
    EXPECT_THAT(ui.services().messages, IsEmpty());
}

TEST_F(MainWindowTest, RejectedCharactersAreReportedOnceAndRemoved) {
    ui.ClickNamePlaceholder();
    ui.TypeName("?");
    ASSERT_EQ(ui.services().messages.size(), 1u);
    EXPECT_EQ(ui.services().messages[0].text, "Le caractere '' ? '' n'est pas valide.");
    EXPECT_EQ(ui.services().messages[0].title, "");
    EXPECT_EQ(ui.services().messages[0].icon, platform::MessageIcon::None);
    EXPECT_EQ(ui.window().TxtCherche->text(), "");
    EXPECT_THAT(ui.Lines(), IsEmpty());
    // The mirror stayed empty, so no search ran: the status line still invites typing.
    EXPECT_EQ(ui.Status(), "Entrez un nom de commune.");

    ui.services().messages.clear();
    ui.window().TxtCherche->setText("st#jean");  // a paste
    ASSERT_EQ(ui.services().messages.size(), 1u);
    EXPECT_EQ(ui.services().messages[0].text, "Le caractere '' # '' n'est pas valide.");
    EXPECT_EQ(ui.window().TxtCherche->text(), "STJEAN");
    EXPECT_EQ(ui.window().TxtCherche->cursorPosition(), 6);
    EXPECT_EQ(ui.Status(), "Aucun nom de commune n'a été trouvé.");
}

// Each message comes once the character before it has left the box, as the nested runs do.
TEST_F(MainWindowTest, EachRejectedCharacterIsReportedAfterThePreviousOneIsRemoved) {
    ui.ClickNamePlaceholder();
    std::vector<QString> boxWhenShown;
    ui.services().whileShown = [&](const auto&) {
        boxWhenShown.push_back(ui.window().TxtCherche->text());
    };
    ui.window().TxtCherche->setText("a?b_c.d_?");
    std::vector<std::string> texts;
    for (const auto& message : ui.services().messages) texts.push_back(message.text);
    EXPECT_THAT(texts, ElementsAre("Le caractere '' ? '' n'est pas valide.",
                                   "Le caractere '' _ '' n'est pas valide.",
                                   "Le caractere '' . '' n'est pas valide."));
    EXPECT_THAT(boxWhenShown, ElementsAre("A?B_C.D_?", "AB_C.D_", "ABC.D"));
    EXPECT_EQ(ui.window().TxtCherche->text(), "ABCD");
}

// A paste with many distinct rejected characters: a few messages, not one each; and the box
// keeps no more than a hundred characters of it.
TEST_F(MainWindowTest, AHugePasteOfRejectedCharactersGivesAFewMessages) {
    ui.ClickNamePlaceholder();
    QString paste;
    for (char32_t code = 0x4E00; code < 0x4E00 + 3000; ++code)
        paste += QString::fromUcs4(&code, 1) + "ab";
    ui.window().TxtCherche->setText(paste);
    // 100 characters: 34 distinct rejected ones and 33 times "ab".
    ASSERT_EQ(ui.services().messages.size(), search::kRejectedReportedOneByOne + 1);
    EXPECT_EQ(ui.services().messages.back().text,
              "Les 29 autres caractères non valides ont été retirés du nom.");
    EXPECT_EQ(ui.window().TxtCherche->text(), QString("AB").repeated(33));
}

// Typed letters go in as capitals, so the box keeps its history: Undo and Redo (the context
// menu's, or Ctrl+Z and Ctrl+Y) take back and bring again what the user typed.
TEST_F(MainWindowTest, UndoAndRedoWorkForWhatWasTyped) {
    ui.ClickNamePlaceholder();
    toolkit::TextBox& box = *ui.window().TxtCherche;
    ui.TypeName("aast");
    ASSERT_EQ(box.text(), "AAST");
    ASSERT_TRUE(box.isUndoAvailable());
    box.undo();
    EXPECT_EQ(box.text(), "");
    EXPECT_THAT(ui.Lines(), IsEmpty());
    ASSERT_TRUE(box.isRedoAvailable());
    box.redo();
    EXPECT_EQ(box.text(), "AAST");
    EXPECT_THAT(ui.Lines(), ElementsAre("64460 AAST"));
    QTest::keyClick(&box, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(box.text(), "");
}

TEST_F(MainWindowTest, TheNameBoxTakesAHundredCharacters) {
    ui.ClickNamePlaceholder();
    ui.TypeName(QString(120, QLatin1Char('a')));
    EXPECT_EQ(ui.window().TxtCherche->text(), QString(100, QLatin1Char('A')));
    ui.window().TxtCherche->setText(QString(1 << 20, QLatin1Char('b')));
    EXPECT_EQ(ui.window().TxtCherche->text(), QString(100, QLatin1Char('B')));
}

// The longest names and régions: every value label shows its whole text, or its beginning
// and "…" with the whole text in a tooltip; the copy icon covers none of them.
TEST_F(MainWindowTest, EveryValueFitsOrIsElided) {
    ui.ClickNamePlaceholder();
    ui.TypeName("st remy en bouz");
    ASSERT_EQ(ui.Caption(DetailLabel::CommuneMin), "Saint-Remy-en-Bouzemont-Saint-Genest-et-Isson");
    int elided = 0;
    for (std::size_t i = 0; i < data::kDetailLabelCount; ++i) {
        const toolkit::ChangeLabel& label =
            ui.window().Pic1->ValueLabel(static_cast<DetailLabel>(i));
        EXPECT_LE(label.fontMetrics().horizontalAdvance(label.text()), label.contentsRect().width())
            << i;
        if (label.text() == label.Caption()) {
            EXPECT_EQ(label.toolTip(), "") << i;
            continue;
        }
        ++elided;
        EXPECT_TRUE(label.text().endsWith(QChar(0x2026))) << i;
        EXPECT_TRUE(label.Caption().startsWith(label.text().chopped(1))) << i;
        EXPECT_EQ(label.toolTip(), label.Caption()) << i;
        EXPECT_FALSE(label.geometry().intersects(ui.window().Pic1->ImgCopyTrue->geometry())) << i;
    }
    EXPECT_GE(elided, 1);
    // The clipboard gets the whole texts.
    ui.window().CmdCopier->click();
    EXPECT_NE(ui.services().clipboard.find("Saint-Remy-en-Bouzemont-Saint-Genest-et-Isson"),
              std::string::npos);
}

TEST_F(MainWindowTest, EachLineShowsItsOwnCommune) {
    ui.ClickNamePlaceholder();
    ui.TypeName("paris 1");
    ASSERT_EQ(ui.Lines().size(), 11u);
    EXPECT_EQ(ui.Lines()[6], "75016 PARIS 16");
    EXPECT_EQ(ui.Lines()[7], "75116 PARIS 16");
    ui.SelectLine(7);
    EXPECT_EQ(ui.Caption(DetailLabel::Commune), "75116 PARIS 16");
    ui.SelectLine(6);
    EXPECT_EQ(ui.Caption(DetailLabel::Commune), "75016 PARIS 16");
    // The record stays the one behind the line whichever box took the focus since.
    ui.window().TxtCP->setFocus();
    ui.SelectLine(7);
    EXPECT_EQ(ui.Caption(DetailLabel::Commune), "75116 PARIS 16");
}

TEST_F(MainWindowTest, BothSearchesShowTheSameCaptions) {
    ui.ClickPostalPlaceholder();
    ui.TypePostal("01000");
    ui.SelectLine(1);
    EXPECT_EQ(ui.Caption(DetailLabel::CommuneMin), "Saint-Denis-lès-Bourg");
    ui.SelectLine(0);
    ExpectBourgEnBresse();
    const data::DetailCaptions byPostalCode = ui.window().Pic1->Captions();
    ui.ClickNamePlaceholder();
    ui.TypeName("bourg en bresse");
    ui.SelectLine(0);
    EXPECT_EQ(ui.window().Pic1->Captions().text, byPostalCode.text);
}

TEST(MainWindowSmallTables, IdenticalLinesShowTheirOwnRecords) {
    CommuneTables tables{data::ParseTable("62760 THIEVRES\xA7Thi\xE8vres-62\xA7"
                                          "62 Pas-de-Calais\r\n"
                                          "62760 THIEVRES\xA7Thi\xE8vres-80\xA7"
                                          "80 Somme",
                                          data::kPostalCodeTable),
                         data::ParseTable("THIEVRES$62814\xA7"
                                          "62760\r\n",
                                          data::kNameTable)};
    MainWindowHarness ui(std::move(tables));
    ui.ClickPostalPlaceholder();
    ui.TypePostal("62760");
    EXPECT_THAT(ui.Lines(), ElementsAre("62760 THIEVRES", "62760 THIEVRES"));
    ui.SelectLine(1);
    EXPECT_EQ(ui.Caption(DetailLabel::Departement), "80 Somme");
    ui.SelectLine(0);
    EXPECT_EQ(ui.Caption(DetailLabel::Departement), "62 Pas-de-Calais");
}

}  // namespace
}  // namespace tarvel::windows
