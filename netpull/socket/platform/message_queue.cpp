// A private message queue with hidden windows.
#include "netpull/socket/platform/message_queue.h"

#include <cstdint>
#include <deque>
#include <map>
#include <string>

namespace netpull::platform {
namespace {

struct Message {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

LRESULT StaticWindowProc(HWND, UINT, WPARAM, LPARAM) {
    return 0;
}

struct Queue {
    std::map<std::string, UINT, std::less<>> registered;
    std::map<HWND, WNDPROC> windows;
    std::deque<Message> pending;
    HWND nextWindow = 0x10000;
    void (*postObserver)() = nullptr;
};

Queue& TheQueue() {
    static Queue queue;
    return queue;
}

}  // namespace

UINT RegisterWindowMessageA(std::string_view name) {
    Queue& q = TheQueue();
    if (const auto found = q.registered.find(name); found != q.registered.end())
        return found->second;
    const UINT number = 0xC000 + static_cast<UINT>(q.registered.size());
    q.registered.emplace(std::string(name), number);
    return number;
}

HWND CreateWindowExA(std::string_view className, std::string_view) {
    if (className != "STATIC") return 0;
    Queue& q = TheQueue();
    const HWND window = q.nextWindow++;
    q.windows.emplace(window, &StaticWindowProc);
    return window;
}

bool DestroyWindow(HWND window) {
    return TheQueue().windows.erase(window) == 1;
}

bool IsWindow(HWND window) {
    return TheQueue().windows.contains(window);
}

WNDPROC SetWindowProcedure(HWND window, WNDPROC procedure) {
    const auto found = TheQueue().windows.find(window);
    if (found == TheQueue().windows.end() || procedure == nullptr) return nullptr;
    const WNDPROC previous = found->second;
    found->second = procedure;
    return previous;
}

LRESULT CallWindowProcA(WNDPROC procedure, HWND window, UINT message, WPARAM wParam,
                        LPARAM lParam) {
    return procedure != nullptr ? procedure(window, message, wParam, lParam) : 0;
}

bool PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Queue& q = TheQueue();
    if (!q.windows.contains(window)) return false;
    const bool wasEmpty = q.pending.empty();
    q.pending.push_back({window, message, wParam, lParam});
    if (wasEmpty && q.postObserver != nullptr) q.postObserver();
    return true;
}

void DispatchPendingMessages() {
    Queue& q = TheQueue();
    for (std::size_t count = q.pending.size(); count > 0 && !q.pending.empty(); --count) {
        const Message m = q.pending.front();
        q.pending.pop_front();
        // The window may have been destroyed since the message was posted, even by the
        // procedure of an earlier message of this round.
        const auto found = q.windows.find(m.window);
        if (found != q.windows.end()) found->second(m.window, m.message, m.wParam, m.lParam);
    }
}

bool HasPendingMessages() {
    return !TheQueue().pending.empty();
}

void SetPostObserver(void (*observer)()) {
    TheQueue().postObserver = observer;
}

}  // namespace netpull::platform
