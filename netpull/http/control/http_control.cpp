// The download control: display, events to the host, resize rules.
#include "netpull/http/control/http_control.h"

#include <QLocale>
#include <QMouseEvent>
#include <QPointer>
#include <QShortcut>
#include <algorithm>

#include "netpull/http/control/control_display.h"
#include "netpull/http/control/display_model.h"
#include "qt_socket_loop.h"
#include "twips.h"

namespace netpull::http {
namespace {

constexpr int kObjectNotSet = 91;  // what a host sees for a reference that is not set yet

int liveControls = 0;

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

QRect Pixels(const TwipsArea& area) {
    return TwipsRect(area.left, area.top, area.width, area.height);
}

// A caption's "&X" is its access key, shown underlined.
QString AccessKeyCaption(const std::string& caption) {
    QString text = QString::fromStdString(caption).toHtmlEscaped();
    const qsizetype at = text.indexOf(QLatin1Char('&'));
    if (at >= 0 && at + 1 < text.size() && text.mid(at, 5) == QStringLiteral("&amp;"))
        text.replace(at, 6, QStringLiteral("<u>") + text.at(at + 5) + QStringLiteral("</u>"));
    return text;
}

}  // namespace

// The status labels by their number in lblStat.
constexpr std::array<Element, 8> kStats = {Element::Stat0, Element::Stat1, Element::Stat2,
                                           Element::Stat3, Element::Stat4, Element::Stat5,
                                           Element::Stat6, Element::Stat7};

HTTP::HTTP(QWidget* parent) : QWidget(parent) {
    ++liveControls;
    AttachSocketLoopToQt();
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
    const QString frame = QStringLiteral("border: 1px solid black; background: transparent;");
    Shape3 = MakeShape(this, frame);
    Shape1 = MakeShape(this, frame);
    Shape2 =
        MakeShape(this, QStringLiteral("border: 1px solid black; background: rgb(128, 128, 128);"));
    for (std::size_t i = 0; i < kStats.size(); ++i) {
        lblStat[i] = new QLabel(this);
        lblStat[i]->setTextFormat(Qt::PlainText);
        if (model_[kStats[i]].bold) lblStat[i]->setFont(BoldFont());
    }
    lblStat[4]->setAlignment(Qt::AlignCenter);
    Label1 = new QLabel(this);
    Label1->setTextFormat(Qt::PlainText);
    QFont verdana(QStringLiteral("Verdana"));
    verdana.setPointSizeF(9.75);
    Label1->setFont(verdana);
    Label1->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    Label1->setAlignment(Qt::AlignCenter);
    btnCancel = new QLabel(AccessKeyCaption(model_[Element::BtnCancel].text), this);
    btnCancel->setTextFormat(Qt::RichText);
    btnCancel->setAlignment(Qt::AlignCenter);
    btnCancel->setFrameShape(QFrame::Box);
    btnCancel->setAutoFillBackground(true);
    btnCancel->installEventFilter(this);
    // Alt+C, the caption's access key, clicks the Cancel label.
    auto* accessKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_C), this);
    connect(accessKey, &QShortcut::activated, this, &HTTP::btnCancel_Click);
    // The model's stacking order, bottom first.
    for (std::size_t i = 0; i < kElementCount; ++i) Widget(static_cast<Element>(i))->raise();
    Render();
    resize(sizeHint());
}

QWidget* HTTP::Widget(Element element) const {
    switch (element) {
        case Element::Shape1:
            return Shape1;
        case Element::Shape2:
            return Shape2;
        case Element::Shape3:
            return Shape3;
        case Element::Label1:
            return Label1;
        case Element::BtnCancel:
            return btnCancel;
        default:
            return lblStat[static_cast<std::size_t>(
                std::find(kStats.begin(), kStats.end(), element) - kStats.begin())];
    }
}

// Draws the model: every element's place and visibility, and the labels' texts.
void HTTP::Render() {
    for (std::size_t i = 0; i < kElementCount; ++i) {
        const auto element = static_cast<Element>(i);
        QWidget* widget = Widget(element);
        widget->setGeometry(Pixels(model_[element].area));
        widget->setVisible(model_[element].visible);
    }
    Label1->setText(QString::fromStdString(model_[Element::Label1].text));
    for (std::size_t i = 0; i < kStats.size(); ++i)
        lblStat[i]->setText(QString::fromStdString(model_[kStats[i]].text));
}

HTTP::~HTTP() {
    if (transfer_) transfer_->events = {};
    --liveControls;
}

int HTTP::LiveControls() {
    return liveControls;
}

QSize HTTP::sizeHint() const {
    return {TwipsToPixels(DisplayModel::kDesignWidth), TwipsToPixels(DisplayModel::kDesignHeight)};
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

void HTTP::HTTP_Progress(std::int64_t bytes, std::int64_t ofBytes) {
    const QPointer<HTTP> guard(this);
    const std::shared_ptr<HTTPtransfer> transfer = transfer_;
    model_.ProgressBar(bytes, ofBytes);
    Render();
    std::int32_t hostBytes = Clamp32(bytes), hostOfBytes = Clamp32(ofBytes);
    if (const auto handler = hostEvents.Progress) handler(hostBytes, hostOfBytes);
    if (guard) emit Progress(Clamp32(bytes), Clamp32(ofBytes));
    if (!guard || !transfer) return;
    const char point = QLocale().decimalPoint().at(0).toLatin1();
    model_.ProgressDetails({transfer->URL(), transfer->SaveAs(), transfer->BytesPerSecond(),
                            transfer->DownloadedBytes(), transfer->TotalBytes(),
                            point ? point : '.'});
    Render();
}

void HTTP::HTTP_Downloaded() {
    const QPointer<HTTP> guard(this);
    model_.DownloadedBar();
    Render();
    if (const auto handler = hostEvents.Downloaded) handler();
    if (guard) emit Downloaded();
    if (!guard) return;
    model_.DownloadedDetails();
    Render();
}

void HTTP::HTTP_Error(std::int32_t number, const std::string& description) {
    const QPointer<HTTP> guard(this);
    model_.ErrorBar();
    Render();
    std::int32_t hostNumber = number;
    std::string hostDescription = description;
    if (const auto handler = hostEvents.Error) handler(hostNumber, hostDescription);
    if (guard) emit Error(hostNumber, QString::fromStdString(hostDescription));
    if (!guard) return;
    // What the host's handler made of its by-reference arguments is what the display shows.
    model_.ErrorDetails(hostNumber, hostDescription);
    Render();
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
    model_.Resize(PixelsToTwips(width()), PixelsToTwips(height()));
    const QSize taken(TwipsToPixels(model_.Width()), TwipsToPixels(model_.Height()));
    if (width() < taken.width() || height() < taken.height())
        resize(std::max(width(), taken.width()), std::max(height(), taken.height()));
    Render();
}

}  // namespace netpull::http
