// The download control: display, events to the host, resize rules.
#include "netpull/http/control/http_control.h"

#include <QLocale>
#include <QMouseEvent>
#include <QPointer>
#include <QShortcut>

#include "netpull/http/control/control_display.h"
#include "qt_socket_loop.h"
#include "twips.h"

namespace netpull::http {
namespace {

constexpr int kMinWidth = 4000;
constexpr int kMinHeight = 480;
constexpr int kObjectNotSet = 91;  // what a host sees for a reference that is not set yet
constexpr int kDesignWidth = 4815;
constexpr int kDesignHeight = 1455;

int liveControls = 0;

struct Place {
    int left, top, width, height;
};
constexpr std::array<Place, 8> kStatPlaces = {{{1200, 120, 3495, 255},
                                               {1200, 360, 3495, 255},
                                               {120, 1080, 1095, 255},
                                               {1200, 720, 3495, 255},
                                               {1200, 1080, 2535, 255},
                                               {120, 120, 975, 255},
                                               {120, 360, 975, 255},
                                               {120, 720, 975, 255}}};
constexpr std::array<const char*, 8> kStatTexts = {"",          "",      "Downloaded:", "",
                                                   "0% (0 mb)", "From:", "To:",         "Speed:"};

QFont BoldFont() {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPointSizeF(8.25);
    font.setBold(true);
    return font;
}

QFrame* MakeShape(QWidget* parent, const QString& style) {
    auto* shape = new QFrame(parent);
    shape->setStyleSheet(style);
    shape->setAttribute(Qt::WA_TransparentForMouseEvents);
    return shape;
}

}  // namespace

HTTP::HTTP(QWidget* parent) : QWidget(parent) {
    ++liveControls;
    AttachSocketLoopToQt();
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
    Shape3 = MakeShape(this, QStringLiteral("border: 1px solid black; background: transparent;"));
    Shape1 = MakeShape(this, QStringLiteral("border: 1px solid black; background: transparent;"));
    Shape2 =
        MakeShape(this, QStringLiteral("border: 1px solid black; background: rgb(128, 128, 128);"));
    for (std::size_t i = 0; i < lblStat.size(); ++i) {
        lblStat[i] = new QLabel(QString::fromLatin1(kStatTexts[i]), this);
        lblStat[i]->setTextFormat(Qt::PlainText);
        lblStat[i]->setGeometry(TwipsRect(kStatPlaces[i].left, kStatPlaces[i].top,
                                          kStatPlaces[i].width, kStatPlaces[i].height));
    }
    for (const std::size_t bold : {2u, 4u, 5u, 6u, 7u}) lblStat[bold]->setFont(BoldFont());
    lblStat[4]->setAlignment(Qt::AlignCenter);
    Label1 = new QLabel(this);
    QFont verdana(QStringLiteral("Verdana"));
    verdana.setPointSizeF(9.75);
    Label1->setFont(verdana);
    Label1->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setGeometry(TwipsRect(1200, 1080, 2535, 255));
    // The caption "&Cancel": its C is the access key, shown underlined.
    btnCancel = new QLabel(QStringLiteral("<u>C</u>ancel"), this);
    btnCancel->setTextFormat(Qt::RichText);
    btnCancel->setAlignment(Qt::AlignCenter);
    btnCancel->setFrameShape(QFrame::Box);
    btnCancel->setAutoFillBackground(true);
    btnCancel->setGeometry(TwipsRect(3840, 1080, 855, 255));
    btnCancel->installEventFilter(this);
    // Alt+C, the caption's access key, clicks the Cancel label.
    auto* accessKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_C), this);
    connect(accessKey, &QShortcut::activated, this, &HTTP::btnCancel_Click);
    Shape1->setGeometry(TwipsRect(1200, 1080, 2535, 255));
    Shape2->setGeometry(TwipsRect(1200, 1080, 255, 255));
    // Stacking of the progress row, bottom to top: frame, fill, amount, status.
    Shape1->raise();
    Shape2->raise();
    lblStat[4]->raise();
    Label1->raise();
    btnCancel->raise();
    resize(sizeHint());
    Shape3->setGeometry(rect());
}

HTTP::~HTTP() {
    if (transfer_) transfer_->events = {};
    --liveControls;
}

int HTTP::LiveControls() {
    return liveControls;
}

QSize HTTP::sizeHint() const {
    return {TwipsToPixels(kDesignWidth), TwipsToPixels(kDesignHeight)};
}
QSize HTTP::minimumSizeHint() const {
    return sizeHint();
}

const HTTPtransfer& HTTP::Current(const char* property) const {
    if (!transfer_)
        throw SocketError(kObjectNotSet, std::string("HTTP.") + property,
                          "Object variable or With block variable not set");
    return *transfer_;
}

std::string HTTP::URL() const {
    return Current("URL").URL();
}
std::string HTTP::SaveAs() const {
    return Current("SaveAs").SaveAs();
}
std::int32_t HTTP::BytesPerSecond() const {
    return Clamp32(Current("BytesPerSecond").BytesPerSecond());
}
std::int32_t HTTP::TotalBytes() const {
    return Clamp32(Current("TotalBytes").TotalBytes());
}
std::int32_t HTTP::DownloadedBytes() const {
    return Clamp32(Current("DownloadedBytes").DownloadedBytes());
}

void HTTP::Download(std::string& URL, std::string& SaveAs) {
    // The previous transfer, if any, is no longer heard; dropping it closes its connection
    // and its file.
    if (transfer_) transfer_->events = {};
    transfer_ = HTTPtransfer::Create();
    QPointer<HTTP> guard(this);
    transfer_->events.FoundServer = [guard] {
        if (guard) guard->HTTP_FoundServer();
    };
    transfer_->events.Progress = [guard](std::int64_t bytes, std::int64_t ofBytes) {
        if (guard) guard->HTTP_Progress(bytes, ofBytes);
    };
    transfer_->events.Downloaded = [guard] {
        if (guard) guard->HTTP_Downloaded();
    };
    transfer_->events.Error = [guard](std::int32_t number, const std::string& description) {
        if (guard) guard->HTTP_Error(number, description);
    };
    const std::shared_ptr<HTTPtransfer> transfer = transfer_;
    transfer->Download(URL, SaveAs);
}

// The host's callback and the signal each may destroy the control: callbacks run from a copy,
// and nothing of the control is touched after either unless it is still there.
void HTTP::HTTP_FoundServer() {
    const QPointer<HTTP> guard(this);
    if (const auto handler = hostEvents.FoundServer) handler();
    if (guard) emit FoundServer();
}

void HTTP::SetFitted(QLabel* label, const std::string& text) {
    const int widthTwips = PixelsToTwips(label->width());
    label->setText(QString::fromStdU32String(
        FitLine(QString::fromStdString(text).toStdU32String(), widthTwips)));
}

void HTTP::HTTP_Progress(std::int64_t bytes, std::int64_t ofBytes) {
    const QPointer<HTTP> guard(this);
    const std::shared_ptr<HTTPtransfer> transfer = transfer_;
    if (ofBytes != 0) {
        const std::int32_t p = Percent(bytes, ofBytes);
        Label1->setText(QString::number(p) + QStringLiteral("%"));
        Shape2->resize(
            static_cast<int>(static_cast<float>(Shape1->width()) / 100.0f * static_cast<float>(p)),
            Shape2->height());
    } else {
        Label1->setText(QString::number(bytes) + QStringLiteral(" bytes."));
    }
    std::int32_t hostBytes = Clamp32(bytes), hostOfBytes = Clamp32(ofBytes);
    if (const auto handler = hostEvents.Progress) handler(hostBytes, hostOfBytes);
    if (guard) emit Progress(Clamp32(bytes), Clamp32(ofBytes));
    if (!guard || !transfer) return;
    SetFitted(lblStat[0], transfer->URL());
    SetFitted(lblStat[1], transfer->SaveAs());
    const char point = QLocale().decimalPoint().at(0).toLatin1();
    lblStat[3]->setText(QString::fromStdString(
        FormatSize(transfer->BytesPerSecond(), point ? point : '.') + " per second."));
    if (transfer->TotalBytes() != 0) {
        lblStat[4]->setText(QString::fromStdString(
            std::to_string(Percent(transfer->DownloadedBytes(), transfer->TotalBytes())) + "% (" +
            FormatSize(transfer->DownloadedBytes(), point ? point : '.') + ")"));
    }
}

void HTTP::HTTP_Downloaded() {
    const QPointer<HTTP> guard(this);
    Label1->setText(QStringLiteral("completed"));
    if (const auto handler = hostEvents.Downloaded) handler();
    if (guard) emit Downloaded();
    if (!guard) return;
    lblStat[0]->setText(QStringLiteral("complete"));
    lblStat[3]->setText(QStringLiteral("idle"));
    lblStat[4]->setText(QStringLiteral("100%"));
}

void HTTP::HTTP_Error(std::int32_t number, const std::string& description) {
    const QPointer<HTTP> guard(this);
    Label1->setText(QStringLiteral("failed"));
    std::int32_t hostNumber = number;
    std::string hostDescription = description;
    if (const auto handler = hostEvents.Error) handler(hostNumber, hostDescription);
    if (guard) emit Error(hostNumber, QString::fromStdString(hostDescription));
    if (!guard) return;
    // What the host's handler made of its by-reference arguments is what the display shows.
    lblStat[0]->setText(QStringLiteral("failed"));
    lblStat[1]->setText(QString::number(hostNumber) + QStringLiteral(" ") +
                        QString::fromStdString(hostDescription));
    lblStat[3]->setText(QStringLiteral("idle"));
    lblStat[4]->setText(QStringLiteral("0% (0 mb)"));
    Shape2->resize(0, Shape2->height());
}

void HTTP::btnCancel_Click() {
    if (transfer_) {
        const std::shared_ptr<HTTPtransfer> transfer = transfer_;
        transfer->Cancel();
    }
}

bool HTTP::eventFilter(QObject* watched, QEvent* event) {
    if (watched == btnCancel && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        btnCancel_Click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void HTTP::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    UserControl_Resize();
}

void HTTP::UserControl_Resize() {
    int W = PixelsToTwips(width());
    int H = PixelsToTwips(height());
    if (W < kMinWidth || H < kMinHeight) {
        resize(TwipsToPixels(std::max(W, kMinWidth)), TwipsToPixels(std::max(H, kMinHeight)));
        W = PixelsToTwips(width());
        H = PixelsToTwips(height());
    }
    Shape3->setGeometry(0, 0, width(), height());
    for (const std::size_t i : {0u, 1u, 3u})
        lblStat[i]->resize(TwipsToPixels(W - PixelsToTwips(lblStat[i]->x()) - 120),
                           lblStat[i]->height());
    lblStat[2]->move(lblStat[2]->x(), TwipsToPixels(H - 360));
    const int shape1Width =
        W - PixelsToTwips(Shape1->x()) - PixelsToTwips(btnCancel->width()) - 240;
    Shape1->setGeometry(Shape1->x(), lblStat[2]->y(), TwipsToPixels(shape1Width), Shape1->height());
    lblStat[4]->setGeometry(Shape1->geometry());
    Shape2->move(Shape2->x(), Shape1->y());
    btnCancel->move(Shape1->x() + Shape1->width() + TwipsToPixels(120), Shape1->y());
    lblStat[7]->move(lblStat[7]->x(), lblStat[2]->y() - TwipsToPixels(360));
    lblStat[3]->move(lblStat[3]->x(), lblStat[7]->y());
    lblStat[1]->setVisible(H >= 1200);
    lblStat[6]->setVisible(H >= 1200);
    lblStat[3]->setVisible(H >= 960);
    lblStat[7]->setVisible(H >= 960);
    lblStat[0]->setVisible(H >= 720);
    lblStat[5]->setVisible(H >= 720);
}

}  // namespace netpull::http
