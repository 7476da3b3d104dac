// The start-up window: program-wide strings, single instance, hand-over to the loading.
#include "startup_window.h"

#include <QDir>
#include <QMouseEvent>
#include <QWindow>

#include "lookup/ui/toolkit/twips.h"
#include "lookup/ui/windows/version.h"

namespace tarvel::windows {
namespace {

constexpr int kWidth = 4800;
constexpr int kHeight = 2400;
constexpr int kShownMs = 500;
constexpr int kHandOverMs = 100;

std::string WithTrailingSeparator(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

}  // namespace

StartupWindow::StartupWindow(Program& program)
    : QWidget(nullptr, Qt::FramelessWindowHint), program_(program) {
    using toolkit::PlaceInTwips;
    setFixedSize(toolkit::TwipsToPixels(kWidth), toolkit::TwipsToPixels(kHeight));
    Fra1 = new QFrame(this);
    Fra1->setFrameShape(QFrame::Box);
    PlaceInTwips(*Fra1, 0, 0, kWidth, kHeight);
    Label1 = new QLabel(QStringLiteral("TARVEL"), Fra1);
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setStyleSheet(
        QStringLiteral("color: rgb(0, 0, 255); font-weight: bold; font-size: 28pt;"));
    PlaceInTwips(*Label1, 120, 360, kWidth - 240, 900);
    Lbl2 = new QLabel(QStringLiteral("Codes postaux et communes de France"), Fra1);
    Lbl2->setAlignment(Qt::AlignCenter);
    PlaceInTwips(*Lbl2, 120, 1380, kWidth - 240, 300);
    LblVersion = new QLabel(QString::fromLatin1(kVersionText), Fra1);
    LblVersion->setAlignment(Qt::AlignCenter);
    PlaceInTwips(*LblVersion, 120, 1800, kWidth - 240, 300);
    Fra1->installEventFilter(this);
    Lbl2->installEventFilter(this);
    TimFin.setSingleShot(false);
    connect(&TimFin, &QTimer::timeout, this, &StartupWindow::TimFin_Timer);
}

bool StartupWindow::Form_Load() {
    ProgramStrings& strings = program_.strings;
    strings.CheminProg = WithTrailingSeparator(program_.services.ProgramFolder());
    const QSize screen = toolkit::ScreenSizeInTwips();
    toolkit::MoveWindowInTwips(*this, (screen.width() - kWidth) / 2,
                               (screen.height() - kHeight) / 3 - 500);
    strings.SautLigne = "\r\n";
    strings.TitreProg = "Tarvel";
    if (program_.services.PreviousInstance()) {
        program_.services.ShowMessage("Le programme est déja lancé.", strings.TitreProg,
                                      platform::MessageIcon::Exclamation);
        return false;
    }
    show();
    QTimer::singleShot(kShownMs, this, &StartupWindow::ArmHandOver);
    return true;
}

void StartupWindow::ArmHandOver() {
    program_.strings.VersionProg = LblVersion->text().toStdString();
    TimFin.start(kHandOverMs);
}

void StartupWindow::TimFin_Timer() {
    TimFin.stop();
    emit handOver();
}

bool StartupWindow::eventFilter(QObject* watched, QEvent* event) {
    // The window has no caption bar: pressing the frame or the label lets the window
    // system move it as if its caption had been grabbed.
    if (event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && windowHandle() != nullptr) {
        windowHandle()->startSystemMove();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace tarvel::windows
