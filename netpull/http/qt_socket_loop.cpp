// Drives the socket layer's loop from a Qt event loop.
#include "netpull/http/qt_socket_loop.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include "netpull/socket/platform/event_loop.h"

namespace netpull::http {

void AttachSocketLoopToQt() {
    static QSocketNotifier* notifier = nullptr;
    if (notifier != nullptr || QCoreApplication::instance() == nullptr) return;
    // Owned by the application object, so it goes with it.
    notifier = new QSocketNotifier(platform::LoopDescriptor(), QSocketNotifier::Read,
                                   QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, [] { platform::PumpOnce(); });
    QObject::connect(QCoreApplication::instance(), &QObject::destroyed, [] {
        notifier = nullptr;
        platform::SetHostPump(nullptr);
    });
    platform::SetHostPump([] {
        QCoreApplication::processEvents();
        platform::PumpOnce();
    });
}

}  // namespace netpull::http
