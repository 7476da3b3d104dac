// Drives the socket layer's loop from a Qt event loop: a notifier on the loop's descriptor
// pumps it when it has work, and the layer's waits pump Qt's events too.
#pragma once

namespace netpull::http {

// Installs the bridge once per process; later calls do nothing.
void AttachSocketLoopToQt();

}  // namespace netpull::http
