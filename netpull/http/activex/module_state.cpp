// The library's module handle and the counts that keep it loaded.
#include "module_state.h"

#include "control_window.h"

namespace netpull::activex {
namespace {

HINSTANCE module = nullptr;
LONG liveObjects = 0;
LONG serverLocks = 0;

}  // namespace

void SetModule(HINSTANCE handle) {
    module = handle;
}
HINSTANCE Module() {
    return module;
}

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

void ObjectCreated() {
    InterlockedIncrement(&liveObjects);
}
void ObjectDestroyed() {
    InterlockedDecrement(&liveObjects);
}
void ServerLocked(bool lock) {
    if (lock)
        InterlockedIncrement(&serverLocks);
    else if (serverLocks > 0)
        InterlockedDecrement(&serverLocks);
}
bool CanUnload() {
    return liveObjects == 0 && serverLocks == 0 && ControlWindow::LiveWindows() == 0;
}

}  // namespace netpull::activex
