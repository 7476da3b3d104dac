// The about window.
#include "lookup/ui/windows/about_window.h"

#include <QApplication>
#include <QFile>
#include <QStyle>

#include "lookup/ui/rtf/rtf_to_html.h"
#include "lookup/ui/toolkit/pictures.h"
#include "lookup/ui/toolkit/program_icon.h"
#include "lookup/ui/toolkit/twips.h"

namespace tarvel::windows {
namespace {

using toolkit::PlaceInTwips;

constexpr int kWidth = 9300;
constexpr int kHeight = 7500;

// The lines under the notice; the first one starts with the number of communes.
constexpr std::array<const char*, 6> kLines = {" codes postaux et noms des communes de France",
                                               "N° INSEE - N° de département - Département",
                                               "Nom en minuscule - Code de région - Nom de",
                                               "région - latitude - longitude - Académie - Code",
                                               "de  l ' Académie - Zone des vacances scolaires",
                                               "Géolocalisation automatique  sur Google Maps"};

QString ReadNotice(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromStdString(rtf::RtfToHtml(file.readAll().toStdString()));
}

}  // namespace

AboutWindow::AboutWindow(Program& program, QWidget* parent) : QDialog(parent), program_(program) {
    setWindowTitle(QStringLiteral("Copyright"));
    setFixedSize(toolkit::TwipsToPixels(kWidth), toolkit::TwipsToPixels(kHeight));
    QPalette p = palette();
    p.setColor(QPalette::Window, QColor(192, 192, 192));
    setPalette(p);
    setAutoFillBackground(true);

    auto* image = new QLabel(this);
    image->setPixmap(toolkit::ProgramIcon().pixmap(QSize(128, 128)));
    image->setAlignment(Qt::AlignCenter);
    PlaceInTwips(*image, 120, 240, 3600, 3300);
    LblVersion = new QLabel(this);
    PlaceInTwips(*LblVersion, 3840, 240, 5355, 255);
    Label1 = new QLabel(QStringLiteral("Tarvel, logiciel libre de l'équipe Tarvel"), this);
    Label1->setStyleSheet(QStringLiteral("color: rgb(128, 0, 0);"));
    PlaceInTwips(*Label1, 3840, 600, 5355, 285);
    for (std::size_t i = 0; i < Lbl.size(); ++i) {
        Lbl[i] = new QLabel(QString::fromUtf8(kLines[i]), this);
        PlaceInTwips(*Lbl[i], 3840, 1080 + 300 * static_cast<int>(i), 5355, 285);
    }
    Lbl[0]->setText(QString::number(program.tables.postal.Count()) + Lbl[0]->text());
    for (QLabel* label : {LblVersion, Label1, Lbl[0], Lbl[1], Lbl[2], Lbl[3], Lbl[4], Lbl[5]})
        label->setAlignment(Qt::AlignCenter);

    CmdSite = new toolkit::PictureButton(toolkit::Picture(QStringLiteral("directory-site")),
                                         QString::fromLatin1(kMakerSite.data(), kMakerSite.size()),
                                         QStringLiteral("Site internet du programme"), this);
    PlaceInTwips(*CmdSite, 3900, 3360, 3795, 375);
    CmdQ = new toolkit::PictureButton(toolkit::Picture(QStringLiteral("quit")),
                                      QStringLiteral("Fermer"), QStringLiteral("Fermer la fenêtre"),
                                      this);
    PlaceInTwips(*CmdQ, 7740, 3300, 1455, 510);
    Rtb1 = new QTextBrowser(this);
    Rtb1->setOpenLinks(false);
    PlaceInTwips(*Rtb1, 0, 3840, 9195, 3255);
    // CmdFoc holds the focus when the window opens, so Enter or Space closes the window.
    CmdFoc = new QPushButton(QStringLiteral("Foc"), this);
    CmdFoc->setDefault(true);
    PlaceInTwips(*CmdFoc, 10260, 960, 495, 315);

    connect(CmdQ, &QToolButton::clicked, this, &QDialog::accept);
    connect(CmdFoc, &QPushButton::clicked, this, &QDialog::accept);
    connect(CmdSite, &QToolButton::clicked, this, &AboutWindow::CmdSite_Click);
    Form_Load();
}

void AboutWindow::Form_Load() {
    const QSize screen = toolkit::ScreenSizeInTwips();
    toolkit::MoveWindowInTwips(*this, (screen.width() - kWidth) / 2,
                               (screen.height() - kHeight) / 4);
    LblVersion->setText(
        QString::fromStdString("Version " + program_.strings.VersionProg + " - mai 2021"));
    Rtb1->setHtml(ReadNotice(program_.strings.CheminProg + std::string(kNoticeFile)));
    CmdFoc->setFocus();
}

void AboutWindow::CmdSite_Click() {
    CmdFoc->setFocus();
    program_.services.OpenAddress(std::string(kMakerSite));
}

}  // namespace tarvel::windows
