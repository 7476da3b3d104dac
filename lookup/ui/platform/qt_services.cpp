// The platform services over Qt and the desktop.
#include "lookup/ui/platform/qt_services.h"

#include <unistd.h>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QGridLayout>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include "held_keys.h"
#include "qt_resources.h"

namespace tarvel::platform {
namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

QMessageBox::Icon BoxIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Exclamation:
            return QMessageBox::Warning;
        case MessageIcon::Critical:
            return QMessageBox::Critical;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

QtServices::QtServices() : heldKeys_(std::make_unique<HeldKeys>()) {}
QtServices::~QtServices() = default;

void QtServices::ShowMessage(const std::string& text, const std::string& title, MessageIcon icon) {
    const QString caption = title.empty() ? QApplication::applicationName() : Q(title);
    QMessageBox box(BoxIcon(icon), caption, Q(text), QMessageBox::Ok, QApplication::activeWindow());
    // The box is as wide as its title needs, so that the window manager does not cut it: the
    // title's width in the bold title font, and room for the frame's buttons.
    QFont titleFont = QApplication::font();
    titleFont.setBold(true);
    constexpr int kFrameButtons = 120;
    const int width = QFontMetrics(titleFont).horizontalAdvance(caption) + kFrameButtons;
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Expanding),
                      grid->rowCount(), 0, 1, grid->columnCount());
    // The user may be typing on: the keys wait for the box to close, then go where they were
    // going.
    heldKeys_->ShowAndHold(box, QApplication::focusWidget());
}

bool QtServices::SetClipboardText(const std::string& text) {
    QClipboard* clipboard = QApplication::clipboard();
    if (clipboard == nullptr) return false;
    clipboard->clear();
    clipboard->setText(Q(text));
    // The clipboard may belong to a display that refuses us; read back to be sure.
    return clipboard->text() == Q(text);
}

bool QtServices::OpenAddress(const std::string& address) {
    return QDesktopServices::openUrl(QUrl(Q(address)));
}

std::optional<std::string> QtServices::FindBrowser() {
    // xdg-open starts the desktop's default browser for web addresses.
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) return std::nullopt;
    return opener.toStdString();
}

bool QtServices::StartBrowser(const std::string& browser, const std::string& address) {
    return QProcess::startDetached(Q(browser), {Q(address)});
}

bool QtServices::PreviousInstance() {
    if (instanceLock_) return false;
    const QString path = QDir(QStandardPaths::writableLocation(QStandardPaths::TempLocation))
                             .filePath(QStringLiteral("tarvel-%1.lock").arg(getuid()));
    auto lock = std::make_unique<QLockFile>(path);
    // A lock left by a crashed run names a process that no longer exists: QLockFile
    // removes such a stale lock and takes it.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) return true;
    instanceLock_ = std::move(lock);
    return false;
}

std::string QtServices::ProgramFolder() {
    return QDir::toNativeSeparators(QApplication::applicationDirPath()).toStdString();
}

std::optional<std::string_view> QtServices::CustomResource(int id, std::string_view typeName) {
    return ReadCustomResource(id, typeName);
}

}  // namespace tarvel::platform
