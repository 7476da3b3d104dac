// A program for window tests, and helpers to drive and read the main window.
#include "lookup/testing/windows_test_support.h"

#include <QKeyEvent>
#include <QScreen>
#include <QTest>
#include <QWindow>
#include <cstring>

#include "lookup/testing/delivered_tables.h"

namespace tarvel::windows {

QImage HeldPixels(const QWidget& widget) {
    const QWidget& top = *widget.window();
    const QPoint origin = widget.mapTo(&top, QPoint(0, 0));
    const QPixmap held = top.screen()->grabWindow(top.winId(), origin.x(), origin.y(),
                                                  widget.width(), widget.height());
    return held.toImage().convertToFormat(QImage::Format_RGB32);
}

QImage RenderedPixels(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

CommuneTables DeliveredTables() {
    static const CommuneTables tables{data::LoadDeliveredTable(data::kPostalCodeTable),
                                      data::LoadDeliveredTable(data::kNameTable)};
    return tables;
}

MainWindowHarness::MainWindowHarness(CommuneTables tables) {
    test_.program.tables = std::move(tables);
    window_ = std::make_unique<MainWindow>(test_.program);
    window_->show();
    QApplication::setActiveWindow(window_.get());
}

MainWindowHarness::~MainWindowHarness() = default;

void MainWindowHarness::ClickPostalPlaceholder() {
    QTest::mouseClick(window_->Txt1Foc, Qt::LeftButton);
}

void MainWindowHarness::ClickNamePlaceholder() {
    QTest::mouseClick(window_->Txt2Foc, Qt::LeftButton);
}

namespace {

// Types like a keyboard would; QTest only knows how to type ASCII keys.
void TypeText(QWidget* box, const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(box, c.toLatin1());
            continue;
        }
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(box, &press);
        QApplication::sendEvent(box, &release);
    }
}

}  // namespace

void MainWindowHarness::TypePostal(const QString& text) {
    TypeText(window_->TxtCP, text);
}

void MainWindowHarness::TypeName(const QString& text) {
    TypeText(window_->TxtCherche, text);
}

void MainWindowHarness::SelectLine(int row) {
    ResultList& list = *window_->LstLaListe;
    const QModelIndex index = list.model()->index(row, 0);
    list.scrollTo(index);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualRect(index).center());
}

std::vector<QString> MainWindowHarness::Lines() {
    std::vector<QString> lines;
    const ResultListModel& model = window_->LstLaListe->Model();
    for (int row = 0; row < model.rowCount(); ++row) lines.push_back(model.Line(row));
    return lines;
}

QString MainWindowHarness::Caption(data::DetailLabel label) {
    return window_->Pic1->Caption(label);
}

QString MainWindowHarness::Status() {
    return window_->LblInfo->Caption();
}

// The rendering is made from the model's lines as they are now; the held pixels are what the
// last paint left, which shows the previous search's lines when a repaint went missing.
bool MainWindowHarness::ListShowsItsLines() {
    QWidget& viewport = *window_->LstLaListe->viewport();
    return HeldPixels(viewport) == RenderedPixels(viewport);
}

QString MainWindowHarness::PaintedListMismatch() {
    QWidget& viewport = *window_->LstLaListe->viewport();
    const QImage held = HeldPixels(viewport);
    const QImage rendered = RenderedPixels(viewport);
    if (held.size() != rendered.size())
        return QStringLiteral("held %1x%2, rendered %3x%4")
            .arg(held.width())
            .arg(held.height())
            .arg(rendered.width())
            .arg(rendered.height());
    for (int y = 0; y < held.height(); ++y) {
        if (std::memcmp(held.constScanLine(y), rendered.constScanLine(y),
                        static_cast<std::size_t>(held.bytesPerLine())) != 0)
            return QStringLiteral("pixel row %1 of the list differs from its lines").arg(y);
    }
    return {};
}

}  // namespace tarvel::windows
