// The download control: display, events to the host, resize rules.
#include "netpull/http/control/http_control.h"

#include <QLocale>
#include <QMouseEvent>
#include <QPointer>
#include <QShortcut>
#include <algorithm>

#include "qt_socket_loop.h"
#include "twips.h"

namespace netpull::http {
namespace {

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
        if (control_.Model()[kStats[i]].bold) lblStat[i]->setFont(BoldFont());
    }
    lblStat[4]->setAlignment(Qt::AlignCenter);
    Label1 = new QLabel(this);
    Label1->setTextFormat(Qt::PlainText);
    QFont verdana(QStringLiteral("Verdana"));
    verdana.setPointSizeF(9.75);
    Label1->setFont(verdana);
    Label1->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    Label1->setAlignment(Qt::AlignCenter);
    btnCancel = new QLabel(AccessKeyCaption(control_.Model()[Element::BtnCancel].text), this);
    btnCancel->setTextFormat(Qt::RichText);
    btnCancel->setAlignment(Qt::AlignCenter);
    btnCancel->setFrameShape(QFrame::Box);
    btnCancel->setAutoFillBackground(true);
    btnCancel->installEventFilter(this);
    // Alt+C, the caption's access key, clicks the Cancel label.
    auto* accessKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_C), this);
    connect(accessKey, &QShortcut::activated, this, [this] { control_.btnCancel_Click(); });
    // The model's stacking order, bottom first.
    for (std::size_t i = 0; i < kElementCount; ++i) Widget(static_cast<Element>(i))->raise();
    control_.changed = [this] { Render(); };
    PassEventsToHost();
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
        widget->setGeometry(Pixels(control_.Model()[element].area));
        widget->setVisible(control_.Model()[element].visible);
    }
    Label1->setText(QString::fromStdString(control_.Model()[Element::Label1].text));
    for (std::size_t i = 0; i < kStats.size(); ++i)
        lblStat[i]->setText(QString::fromStdString(control_.Model()[kStats[i]].text));
}

HTTP::~HTTP() {
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

std::string HTTP::URL() const {
    return control_.URL();
}
std::string HTTP::SaveAs() const {
    return control_.SaveAs();
}
std::int32_t HTTP::BytesPerSecond() const {
    return control_.BytesPerSecond();
}
std::int32_t HTTP::TotalBytes() const {
    return control_.TotalBytes();
}
std::int32_t HTTP::DownloadedBytes() const {
    return control_.DownloadedBytes();
}

void HTTP::Download(std::string& URL, std::string& SaveAs) {
    const char point = QLocale().decimalPoint().at(0).toLatin1();
    control_.decimalPoint = point ? point : '.';
    control_.Download(URL, SaveAs);
}

// Each event reaches the host's callback, then its signal. Either may destroy the control:
// callbacks run from a copy, and the signal goes out only if the control is still there.
void HTTP::PassEventsToHost() {
    control_.hostEvents.FoundServer = [this] {
        const QPointer<HTTP> guard(this);
        if (const auto handler = hostEvents.FoundServer) handler();
        if (guard) emit FoundServer();
    };
    control_.hostEvents.Progress = [this](std::int32_t& bytes, std::int32_t& ofBytes) {
        const QPointer<HTTP> guard(this);
        const std::int32_t raisedBytes = bytes, raisedOfBytes = ofBytes;
        if (const auto handler = hostEvents.Progress) handler(bytes, ofBytes);
        if (guard) emit Progress(raisedBytes, raisedOfBytes);
    };
    control_.hostEvents.Downloaded = [this] {
        const QPointer<HTTP> guard(this);
        if (const auto handler = hostEvents.Downloaded) handler();
        if (guard) emit Downloaded();
    };
    control_.hostEvents.Error = [this](std::int32_t& number, std::string& description) {
        const QPointer<HTTP> guard(this);
        if (const auto handler = hostEvents.Error) handler(number, description);
        if (guard) emit Error(number, QString::fromStdString(description));
    };
}

bool HTTP::eventFilter(QObject* watched, QEvent* event) {
    if (watched == btnCancel && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        control_.btnCancel_Click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void HTTP::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    UserControl_Resize();
}

void HTTP::UserControl_Resize() {
    control_.Resize(PixelsToTwips(width()), PixelsToTwips(height()));
    const DisplayModel& model = control_.Model();
    const QSize taken(TwipsToPixels(model.Width()), TwipsToPixels(model.Height()));
    if (width() < taken.width() || height() < taken.height())
        resize(std::max(width(), taken.width()), std::max(height(), taken.height()));
}

}  // namespace netpull::http
