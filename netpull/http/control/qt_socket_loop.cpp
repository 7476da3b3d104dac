// Drives the socket layer's loop from a Qt event loop.
#include "qt_socket_loop.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include "netpull/socket/socket_loop.h"

namespace netpull::http {

void AttachSocketLoopToQt() {
    static QSocketNotifier* notifier = nullptr;
    if (notifier != nullptr || QCoreApplication::instance() == nullptr) return;
    // Owned by the application object, so it goes with it.
    notifier = new QSocketNotifier(loop::Descriptor(), QSocketNotifier::Read,
                                   QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, [] { loop::PumpOnce(); });
    QObject::connect(QCoreApplication::instance(), &QObject::destroyed, [] {
        notifier = nullptr;
        loop::SetHostPump(nullptr);
    });
    loop::SetHostPump([] {
        QCoreApplication::processEvents();
        loop::PumpOnce();
    });
}

}  // namespace netpull::http
