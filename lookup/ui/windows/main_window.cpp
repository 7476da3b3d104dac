// The main search window: layout, focus and search mode, searches, selection and actions.
#include "lookup/ui/windows/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QScreen>
#include <QStyle>
#include <QWindow>
#include <algorithm>

#include "lookup/search/name_entry.h"
#include "lookup/search/name_search.h"
#include "lookup/search/postal_search.h"
#include "lookup/text/letter_case.h"
#include "lookup/text/text_routines.h"
#include "lookup/ui/actions/commune_texts.h"
#include "lookup/ui/toolkit/colours.h"
#include "lookup/ui/toolkit/pictures.h"
#include "lookup/ui/toolkit/twips.h"
#include "lookup/ui/windows/about_window.h"

namespace tarvel::windows {
namespace {

using data::DetailLabel;
using toolkit::PlaceInTwips;

// The window's outer size, and the frame the window manager is expected to add to it.
constexpr int kWidth = 12240;
constexpr int kHeight = 6060;
constexpr int kFrameWidth = 120;
constexpr int kFrameHeight = 465;

constexpr int kLongestTypedName = 100;

const QColor kLightGrey(224, 224, 224);
const QColor kWhite(255, 255, 255);

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}
std::string S(const QString& text) {
    return text.toStdString();
}

// A large scale can make the window wider or taller than the screen: its frame then stands
// inside the area that panels leave free, from that area's left or top edge where it cannot fit,
// so that the boxes at its left and its title bar stay in reach.
void KeepInside(QRect& frame, const QRect& area) {
    if (area.isEmpty()) return;
    frame.moveLeft(std::max(area.left(), std::min(frame.left(), area.right() + 1 - frame.width())));
    frame.moveTop(std::max(area.top(), std::min(frame.top(), area.bottom() + 1 - frame.height())));
}

void MakePlaceholder(toolkit::TextBox& box, const QString& example) {
    box.setText(example);
    box.setAlignment(Qt::AlignCenter);
    box.setReadOnly(true);
    box.setFocusPolicy(Qt::ClickFocus);
    box.setFrame(false);
    QPalette p = box.palette();
    p.setColor(QPalette::Text, QColor(192, 192, 192));
    p.setColor(QPalette::Base, kWhite);
    box.setPalette(p);
}

QFont BoldFont(int points) {
    QFont font = QApplication::font();
    font.setBold(true);
    if (points > 0) font.setPointSize(points);
    return font;
}

}  // namespace

MainWindow::MainWindow(Program& program) : QWidget(nullptr), program_(program) {
    setWindowTitle(QStringLiteral("RECHERCHER - Tarvel et communes de France"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    QPalette p = palette();
    p.setColor(QPalette::Window, kLightGrey);
    setPalette(p);
    setAutoFillBackground(true);
    BuildSearchArea();
    BuildButtons();
    setTabOrder(Foc, TxtCP);
    setTabOrder(TxtCP, TxtCherche);
    setTabOrder(TxtCherche, LstLaListe);
    setTabOrder(LstLaListe, Pic1->ImgCopyTrue);
    setTabOrder(Pic1->ImgCopyTrue, CmdCopier);
    setTabOrder(CmdCopier, CmdExterne);
    setTabOrder(CmdExterne, CmdGoogleMap);
    setTabOrder(CmdGoogleMap, CmdAbout);
    setTabOrder(CmdAbout, CmdQ);
    frameCheck_.setInterval(20);
    connect(&frameCheck_, &QTimer::timeout, this, &MainWindow::CheckFrame);
}

void MainWindow::BuildSearchArea() {
    Fra1 = new QFrame(this);
    Fra1->setFrameShape(QFrame::StyledPanel);
    PlaceInTwips(*Fra1, 60, 0, 12015, 4875);

    auto* postalTitle = new QLabel(QStringLiteral("PAR CODE P."), Fra1);
    auto* nameTitle = new QLabel(QStringLiteral("PAR NOM DE COMMUNE"), Fra1);
    for (QLabel* title : {postalTitle, nameTitle}) {
        title->setAlignment(Qt::AlignCenter);
        title->setFont(BoldFont(0));
        toolkit::SetTextColour(*title, QColor(0, 0, 128));
    }
    PlaceInTwips(*postalTitle, 60, 270, 1275, 255);
    PlaceInTwips(*nameTitle, 1380, 270, 3735, 255);

    TxtCP = new toolkit::TextBox(Fra1);
    TxtCP->setObjectName(QStringLiteral("TxtCP"));
    TxtCP->setMaxLength(5);
    TxtCP->setAlignment(Qt::AlignCenter);
    TxtCP->setFont(BoldFont(18));
    PlaceInTwips(*TxtCP, 60, 480, 1275, 495);
    // Bold 18 point where five digits fit the box with the fonts at hand, smaller otherwise.
    TxtCP->FitFontTo(QStringLiteral("00000"));
    Txt1Foc = new toolkit::TextBox(Fra1);
    MakePlaceholder(*Txt1Foc, QStringLiteral("Ex: 75001"));
    PlaceInTwips(*Txt1Foc, 120, 570, 1155, 345);

    TxtCherche = new toolkit::TextBox(Fra1);
    TxtCherche->setObjectName(QStringLiteral("TxtCherche"));
    TxtCherche->setAlignment(Qt::AlignCenter);
    TxtCherche->setFont(BoldFont(12));
    // The longest names have 45 characters: a longer text finds nothing, and a paste of a
    // whole document would cost every keystroke the time of its length.
    TxtCherche->setMaxLength(kLongestTypedName);
    TxtCherche->SetTypedInCapitals(true);
    PlaceInTwips(*TxtCherche, 1380, 480, 3735, 510);
    Txt2Foc = new toolkit::TextBox(this);
    MakePlaceholder(*Txt2Foc, QStringLiteral("Ex: ST JEAN LE BLANC"));
    PlaceInTwips(*Txt2Foc, 1560, 570, 3555, 345);

    LblInfo = new toolkit::ChangeLabel(Fra1);
    LblInfo->setAlignment(Qt::AlignCenter);
    toolkit::SetTextColour(*LblInfo, QColor(128, 0, 0));
    toolkit::SetFillColour(*LblInfo, QColor(192, 192, 192));
    PlaceInTwips(*LblInfo, 60, 1140, 5055, 255);

    TxtMiroir = new toolkit::TextBox(Fra1);
    PlaceInTwips(*TxtMiroir, 5520, 1320, 1815, 315);
    TxtMiroir->hide();

    LstLaListe = new ResultList(Fra1);
    QFont fixed(QStringLiteral("Courier New"), 12);
    fixed.setStyleHint(QFont::TypeWriter, QFont::PreferNoShaping);
    LstLaListe->setFont(fixed);
    PlaceInTwips(*LstLaListe, 5160, 150, 6795, 4650);

    Pic1 = new DetailPanel(Fra1);
    PlaceInTwips(*Pic1, 60, 1680, 5055, 3075);
    Pic1->ImgCopyTrue->raise();

    connect(Txt1Foc, &toolkit::TextBox::gotFocus, this, &MainWindow::Txt1Foc_GotFocus);
    connect(Txt2Foc, &toolkit::TextBox::gotFocus, this, &MainWindow::Txt2Foc_GotFocus);
    connect(TxtCP, &toolkit::TextBox::gotFocus, this, &MainWindow::TxtCP_GotFocus);
    connect(TxtCherche, &toolkit::TextBox::gotFocus, this, &MainWindow::TxtCherche_GotFocus);
    connect(TxtCP, &QLineEdit::textChanged, this, &MainWindow::TxtCP_Change);
    connect(TxtCherche, &QLineEdit::textChanged, this, &MainWindow::TxtCherche_Change);
    connect(TxtMiroir, &QLineEdit::textChanged, this, &MainWindow::TxtMiroir_Change);
    connect(LstLaListe, &ResultList::lineClicked, this, &MainWindow::LstLaListe_Click);
    connect(Pic1, &DetailPanel::communeNameChanged, this, &MainWindow::LblCommuneMin_Change);
    connect(Pic1, &DetailPanel::copyNameClicked, this, &MainWindow::ImgCopyTrue_Click);
}

void MainWindow::BuildButtons() {
    CmdCopier = new toolkit::PictureButton(
        toolkit::Picture(QStringLiteral("copy-data")), QString(),
        QStringLiteral("Copier les données dans le presse-papier"), this);
    PlaceInTwips(*CmdCopier, 120, 4920, 1635, 630);
    CmdExterne = new toolkit::PictureButton(toolkit::Picture(QStringLiteral("directory-site")),
                                            QString(), QStringLiteral("Plus d'infos"), this);
    PlaceInTwips(*CmdExterne, 1800, 4920, 3375, 630);
    CmdGoogleMap = new toolkit::PictureButton(toolkit::Picture(QStringLiteral("map-location")),
                                              QString(), QStringLiteral("Geolocalisation"), this);
    PlaceInTwips(*CmdGoogleMap, 5220, 4920, 3375, 630);
    CmdAbout = new toolkit::PictureButton(toolkit::Picture(QStringLiteral("about")),
                                          QStringLiteral("A propos"),
                                          QStringLiteral("A propos du programme"), this);
    PlaceInTwips(*CmdAbout, 8640, 4920, 1695, 630);
    CmdQ = new toolkit::PictureButton(toolkit::Picture(QStringLiteral("quit")),
                                      QStringLiteral("Quitter"),
                                      QStringLiteral("Quitter le programme"), this);
    PlaceInTwips(*CmdQ, 10380, 4920, 1695, 630);
    for (QWidget* button : {CmdCopier, CmdExterne, CmdGoogleMap}) button->setEnabled(false);
    // Foc lies beyond the right edge: it is never seen and only takes the focus.
    Foc = new QPushButton(QStringLiteral("Foc"), this);
    PlaceInTwips(*Foc, 12720, 360, 495, 255);
    // Code gives it the focus; Tab never stops on what cannot be seen.
    Foc->setFocusPolicy(Qt::NoFocus);

    connect(CmdCopier, &QToolButton::clicked, this, &MainWindow::CmdCopier_Click);
    connect(CmdExterne, &QToolButton::clicked, this, &MainWindow::CmdExterne_Click);
    connect(CmdGoogleMap, &QToolButton::clicked, this, &MainWindow::CmdGoogleMap_Click);
    connect(CmdAbout, &QToolButton::clicked, this, &MainWindow::CmdAbout_Click);
    connect(CmdQ, &QToolButton::clicked, this, &MainWindow::CmdQ_Click);
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!loaded_) {
        loaded_ = true;
        Form_Load();
    }
}

void MainWindow::Form_Load() {
    const QSize screen = toolkit::ScreenSizeInTwips();
    wantedFrame_ = toolkit::TwipsRect((screen.width() - kWidth) / 2,
                                      (screen.height() - kHeight) / 4, kWidth, kHeight);
    KeepInside(wantedFrame_, QGuiApplication::primaryScreen()->availableGeometry());
    PlaceFrame();
    frameCheck_.start();
    const std::string& br = program_.strings.SautLigne;
    CmdExterne->SetCaption(
        Q("Plus d' infos  sur  le  site" + br + std::string(actions::kDirectoryDomain)));
    CmdGoogleMap->SetCaption(Q("Géolocaliser la commune" + br + "sur Google Maps"));
    CmdCopier->SetCaption(Q("Copier les" + br + "données"));
    Foc->setFocus();
    emit loaded();
}

// The window's sizes and place are those of its outer frame, which only the window manager
// knows, some time after the window is shown: until then the frame is guessed, and once it
// is known the window is sized and moved so that the frame stands where it should.
void MainWindow::PlaceFrame() {
    const QMargins known = windowHandle() != nullptr ? windowHandle()->frameMargins() : QMargins();
    // Until then, a border of half the frame's width on each side, and the title bar above.
    const int border = toolkit::TwipsToPixels(kFrameWidth / 2);
    const QMargins frame =
        known.isNull()
            ? QMargins(border, toolkit::TwipsToPixels(kFrameHeight) - border, border, border)
            : known;
    setFixedSize(wantedFrame_.width() - frame.left() - frame.right(),
                 wantedFrame_.height() - frame.top() - frame.bottom());
    const QPoint offset = wantedFrame_.topLeft() - frameGeometry().topLeft();
    if (!offset.isNull()) move(pos() + offset);
}

void MainWindow::CheckFrame() {
    constexpr int kChecks = 150;  // at 20 ms: three seconds for the window manager
    const bool known = windowHandle() != nullptr && !windowHandle()->frameMargins().isNull();
    if (known && frameGeometry() == wantedFrame_) return frameCheck_.stop();
    if (known) PlaceFrame();
    if (++frameChecks_ >= kChecks) frameCheck_.stop();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    program_.endProgram(0);
}

void MainWindow::Txt1Foc_GotFocus() {
    Txt1Foc->hide();
    TxtCP->setFocus();
}

void MainWindow::Txt2Foc_GotFocus() {
    Txt2Foc->hide();
    TxtCherche->setFocus();
}

// However the focus came (a click on the placeholder, Tab, a shortcut), the placeholder goes.
void MainWindow::TxtCP_GotFocus() {
    Txt1Foc->hide();
    modeRecherche_ = 1;
    TxtCherche->SetBackground(kLightGrey);
    TxtCP->SetBackground(kWhite);
    LblInfo->SetCaption(QStringLiteral("Dans la zone de texte entrez un n° de CP."));
}

void MainWindow::TxtCherche_GotFocus() {
    Txt2Foc->hide();
    modeRecherche_ = 2;
    TxtCP->SetBackground(kLightGrey);
    TxtCherche->SetBackground(kWhite);
    LblInfo->SetCaption(QStringLiteral("Entrez un nom de commune."));
}

void MainWindow::TxtCP_Change() {
    try {
        ShowSearch(search::SearchByPostalCode(program_.tables.postal, S(TxtCP->text())),
                   SearchedTable::PostalCodes);
    } catch (const std::exception& error) {
        ReportInternalError(program_, "024", error);
    }
}

// Cleans the typed name: upper case first (the change this makes runs the handler again,
// nested, and that run finishes the work), then the first rejected character is reported and
// removed from the box, whose change runs the handler again for the next one; the text as a
// name key writes it (accents, apostrophes and hyphens folded) goes to the mirror box, whose
// change runs the search. After the first few, the rejected
// characters left are removed together and reported in one message.
void MainWindow::TxtCherche_Change() {
    if (nameChangeDepth_ == 0) rejectedReported_ = 0;
    ++nameChangeDepth_;
    struct Leave {
        int& depth;
        ~Leave() { --depth; }
    } leave{nameChangeDepth_};
    const std::string typed = S(TxtCherche->text());
    const std::string upper = text::ToUpperFrench(typed);
    if (upper != typed) {
        TxtCherche->setText(Q(upper));
        return;
    }
    TxtCherche->setCursorPosition(static_cast<int>(TxtCherche->text().size()));
    TxtCherche->setFocus();
    const search::NameEntryCheck check = search::CheckTypedName(upper);
    if (check.rejected.empty()) {
        TxtMiroir->setText(Q(check.cleaned));
        return;
    }
    if (rejectedReported_ < search::kRejectedReportedOneByOne) {
        ++rejectedReported_;
        const std::string& first = check.rejected.front();
        program_.services.ShowMessage(search::RejectedCharacterMessage(first), "",
                                      platform::MessageIcon::None);
        TxtCherche->setText(Q(text::sChangeCaractere(upper, first, "")));
        return;
    }
    program_.services.ShowMessage(search::OtherRejectedCharactersMessage(check.rejected.size()), "",
                                  platform::MessageIcon::None);
    TxtCherche->setText(Q(check.cleaned));
}

void MainWindow::TxtMiroir_Change() {
    try {
        ShowSearch(search::SearchByName(program_.tables.names, S(TxtMiroir->text())),
                   SearchedTable::Names);
    } catch (const std::exception& error) {
        ReportInternalError(program_, "023", error);
    }
}

// As the searches do it: the list emptied, the labels emptied, the list filled, the labels
// written from the first match, then the status line.
void MainWindow::ShowSearch(search::SearchResult result, SearchedTable table) {
    LstLaListe->Model().Clear();
    Pic1->Clear();
    const QString status = Q(result.status);
    const std::optional<data::DetailCaptions> firstMatch = std::move(result.firstMatch);
    LstLaListe->Model().Show(std::move(result), table);
    if (firstMatch) Pic1->ShowCaptions(*firstMatch);
    LblInfo->SetCaption(status);
}

// Shows the record behind the selected line, from the table whose search filled the list.
void MainWindow::LstLaListe_Click() {
    Pic1->Clear();
    const int row = LstLaListe->CurrentRow();
    if (row < 0) return;
    try {
        const ResultListModel& model = LstLaListe->Model();
        const std::uint32_t record = model.RecordAt(row);
        Pic1->ShowCaptions(model.Table() == SearchedTable::PostalCodes
                               ? data::CaptionsOfPostalRecord(program_.tables.postal.Record(record))
                               : data::CaptionsOfNameRecord(program_.tables.names.Record(record)));
    } catch (const std::exception& error) {
        ReportInternalError(program_, "022", error);
    }
}

void MainWindow::LblCommuneMin_Change() {
    const bool shown = !Pic1->Caption(DetailLabel::CommuneMin).isEmpty();
    for (QWidget* button : {CmdExterne, CmdGoogleMap, CmdCopier}) button->setEnabled(shown);
    Pic1->ImgCopyTrue->setVisible(shown);
}

void MainWindow::CmdCopier_Click() {
    const std::string text = actions::FullCopyText(Pic1->Captions());
    CopyToClipboard(text, actions::FullCopyConfirmation(text));
}

void MainWindow::ImgCopyTrue_Click() {
    const std::string text = S(Pic1->Caption(DetailLabel::Commune));
    CopyToClipboard(text, actions::NameCopyConfirmation(text));
}

void MainWindow::CopyToClipboard(const std::string& text, const std::string& confirmation) {
    if (!program_.services.SetClipboardText(text)) {
        program_.services.ShowMessage(
            "Le presse-papier n'a pas pu être écrit : rien n'a été copié.",
            program_.strings.TitreProg, platform::MessageIcon::Exclamation);
        return;
    }
    program_.strings.MessageProg = confirmation;
    program_.services.ShowMessage(program_.strings.MessageProg, program_.strings.TitreProg,
                                  platform::MessageIcon::None);
}

void MainWindow::CmdExterne_Click() {
    Foc->setFocus();
    program_.services.OpenAddress(actions::DirectoryAddress(
        S(Pic1->Caption(DetailLabel::CommuneMin)), S(Pic1->Caption(DetailLabel::Departement))));
}

void MainWindow::CmdGoogleMap_Click() {
    Foc->setFocus();
    // A commune without coordinates is looked for by its name and postal code instead.
    const std::string latitude = S(Pic1->Caption(DetailLabel::Latitude));
    const std::string longitude = S(Pic1->Caption(DetailLabel::Longitude));
    const std::string address =
        latitude.empty() || longitude.empty()
            ? actions::MapSearchAddress(S(Pic1->Caption(DetailLabel::CommuneMin)),
                                        S(Pic1->Caption(DetailLabel::Commune)))
            : actions::MapAddress(latitude, longitude);
    const std::optional<std::string> browser = program_.services.FindBrowser();
    if (!browser) {
        program_.services.ShowMessage("Could not your Browser", "Browser Not Found",
                                      platform::MessageIcon::Exclamation);
    } else if (!program_.services.StartBrowser(*browser, address)) {
        program_.services.ShowMessage("Web Page not Opened", "URL Failed",
                                      platform::MessageIcon::Exclamation);
    }
}

void MainWindow::CmdAbout_Click() {
    Foc->setFocus();
    AboutWindow about(program_, this);
    about.exec();
}

void MainWindow::CmdQ_Click() {
    program_.endProgram(0);
}

}  // namespace tarvel::windows
