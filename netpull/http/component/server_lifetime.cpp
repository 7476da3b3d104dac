// Whether the library may be unloaded.
#include "server_lifetime.h"

#include "netpull/http/control/http_control.h"

namespace netpull::component {
namespace {

int liveObjects = 0;
int serverLocks = 0;

}  // namespace

void ObjectCreated() {
    ++liveObjects;
}
void ObjectDestroyed() {
    --liveObjects;
}
void ServerLocked(bool lock) {
    serverLocks += lock ? 1 : (serverLocks > 0 ? -1 : 0);
}
// Widgets the library made may outlive their objects until deferred deletion runs: the
// library stays while any is left.
bool CanUnload() {
    return liveObjects == 0 && serverLocks == 0 && http::HTTP::LiveControls() == 0;
}

}  // namespace netpull::component
