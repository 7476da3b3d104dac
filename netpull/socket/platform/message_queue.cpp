// A private message queue with hidden windows.
#include "netpull/socket/platform/message_queue.h"

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <string_view>

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
    std::uintptr_t nextWindow = 0x10000;
    void (*postObserver)() = nullptr;
};

Queue& TheQueue() {
    static Queue queue;
    return queue;
}

}  // namespace

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

using netpull::platform::Message;
using netpull::platform::Queue;
using netpull::platform::StaticWindowProc;
using netpull::platform::TheQueue;

UINT RegisterWindowMessageA(LPCSTR name) {
    Queue& q = TheQueue();
    const std::string_view key(name != nullptr ? name : "");
    if (const auto found = q.registered.find(key); found != q.registered.end())
        return found->second;
    const UINT number = 0xC000 + static_cast<UINT>(q.registered.size());
    q.registered.emplace(std::string(key), number);
    return number;
}

HWND CreateWindowExA(DWORD, LPCSTR className, LPCSTR, DWORD, int, int, int, int, HWND, HMENU,
                     HINSTANCE, LPVOID) {
    if (className == nullptr || std::string_view(className) != "STATIC") return nullptr;
    Queue& q = TheQueue();
    const auto window = reinterpret_cast<HWND>(q.nextWindow++);
    q.windows.emplace(window, &StaticWindowProc);
    return window;
}

BOOL DestroyWindow(HWND window) {
    return TheQueue().windows.erase(window) == 1;
}

BOOL IsWindow(HWND window) {
    return TheQueue().windows.contains(window);
}

LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value) {
    const auto found = TheQueue().windows.find(window);
    if (index != GWLP_WNDPROC || found == TheQueue().windows.end() || value == 0) return 0;
    const WNDPROC previous = found->second;
    found->second = reinterpret_cast<WNDPROC>(value);
    return reinterpret_cast<LONG_PTR>(previous);
}

LRESULT CallWindowProcA(WNDPROC procedure, HWND window, UINT message, WPARAM wParam,
                        LPARAM lParam) {
    return procedure != nullptr ? procedure(window, message, wParam, lParam) : 0;
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Queue& q = TheQueue();
    if (!q.windows.contains(window)) return false;
    const bool wasEmpty = q.pending.empty();
    q.pending.push_back({window, message, wParam, lParam});
    if (wasEmpty && q.postObserver != nullptr) q.postObserver();
    return true;
}
