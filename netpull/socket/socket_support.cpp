// The process-wide part of the socket layer: service start, hidden window, registries.
#include "netpull/socket/socket_support.h"

#include <array>
#include <cstring>

#include "netpull/socket/csocket.h"
#include "netpull/socket/windows_sockets.h"

namespace netpull {

// The only way from the window procedure into a socket object's notification handlers.
struct CSocketDispatch {
    static void Socket(CSocket& object, std::uint32_t event, std::uint32_t error) {
        object.PostSocketEvent(event, error);
    }
    static void Resolve(CSocket& object, HANDLE request, std::uint32_t address,
                        const std::string& name, std::int32_t error) {
        object.PostGetHostEvent(request, address, name, error);
    }
};

namespace MSocketSupport {
namespace {

constexpr const char* kLibraryName = "Netpull";
constexpr int kOverflow = 6;

using HostBuffer = std::array<char, HostResultBufferSize>;

struct Module {
    ServiceState state;
    // The result buffer of each pending request, owned until its result is handled.
    std::map<HANDLE, std::unique_ptr<HostBuffer>> buffers;
    std::map<std::int32_t, std::weak_ptr<CSocket>> live;
    std::int32_t nextIdentity = 1;
    // Handles whose notifications still in the queue belong to a socket that is gone, with
    // the number of retirement messages behind them: Windows gives a closed socket's handle
    // to the next socket, and the queue is first in, first out.
    std::map<SOCKET, int> retired;
};

Module& TheModule() {
    static Module module;
    return module;
}

ServiceState& S() {
    return TheModule().state;
}

std::optional<std::int64_t> Find(const std::optional<Registry>& registry, const std::string& key) {
    if (!registry) return std::nullopt;
    const auto found = registry->find(key);
    if (found == registry->end()) return std::nullopt;
    return found->second;
}

void DiscardResolveRegistriesIfEmpty() {
    if (S().ResolveRegistry && S().ResolveRegistry->empty()) {
        S().ResolveRegistry.reset();
        S().HostBufferRegistry.reset();
    }
}

// Forgets one request: its buffer and its registry entries.
std::int64_t RequestNumber(HANDLE request) {
    return static_cast<std::int64_t>(reinterpret_cast<std::intptr_t>(request));
}

std::shared_ptr<CSocket> ObjectOf(std::int64_t identity) {
    return SocketFromPointer(static_cast<std::int32_t>(identity));
}

std::unique_ptr<HostBuffer> ReleaseRequest(HANDLE request, std::optional<std::int64_t>& identity) {
    Module& m = TheModule();
    std::unique_ptr<HostBuffer> buffer;
    if (const auto found = m.buffers.find(request); found != m.buffers.end()) {
        buffer = std::move(found->second);
        m.buffers.erase(found);
    }
    identity = Find(S().ResolveRegistry, ResolveKey(RequestNumber(request)));
    if (identity) {
        S().ResolveRegistry->erase(ResolveKey(RequestNumber(request)));
        // The object's buffer entry goes only if it still names this request.
        if (Find(S().HostBufferRegistry, SocketKey(*identity)) == RequestNumber(request))
            S().HostBufferRegistry->erase(SocketKey(*identity));
    }
    DiscardResolveRegistriesIfEmpty();
    return buffer;
}

void DispatchSocketEvent(WPARAM wParam, LPARAM lParam) {
    const auto handle = static_cast<SOCKET>(wParam);
    if (TheModule().retired.contains(handle)) return;
    const auto identity = Find(S().SocketRegistry, SocketKey(static_cast<std::int64_t>(handle)));
    if (!identity) return;
    const std::shared_ptr<CSocket> object = ObjectOf(*identity);
    if (object) CSocketDispatch::Socket(*object, LowWord(lParam), HighWord(lParam));
}

// Every notification posted before this message has been delivered: the handle is the next
// socket's from now on.
void HandleRetired(WPARAM wParam) {
    auto& retired = TheModule().retired;
    const auto found = retired.find(static_cast<SOCKET>(wParam));
    if (found != retired.end() && --found->second == 0) retired.erase(found);
}

void DispatchResolveResult(WPARAM wParam, LPARAM lParam) {
    const auto request = reinterpret_cast<HANDLE>(wParam);
    const auto error = static_cast<std::int32_t>(HighWord(lParam));
    std::optional<std::int64_t> identity;
    const std::unique_ptr<HostBuffer> buffer = ReleaseRequest(request, identity);
    if (!identity || !buffer) return;
    const std::shared_ptr<CSocket> object = ObjectOf(*identity);
    if (!object) return;
    if (error != 0) return CSocketDispatch::Resolve(*object, request, 0, "", error);
    const auto* entry = reinterpret_cast<const hostent*>(buffer->data());
    std::uint32_t address = 0;
    std::memcpy(&address, entry->h_addr_list[0], sizeof address);
    CSocketDispatch::Resolve(*object, request, address, entry->h_name, 0);
}

}  // namespace

const ServiceState& State() {
    return S();
}

std::int32_t InitcsocketService() {
    if (S().ServiceStarted) return S().MaxDatagramSize;
    WSADATA data{};
    const int failure = WSAStartup(0x0101, &data);
    if (failure != 0)
        throw SocketError(failure, "MSocketSupport.InitcsocketService",
                          StartupFailureText(failure));
    S().ServiceStarted = true;
    S().MaxDatagramSize = data.iMaxUdpDg;
    S().ResolveMessageId =
        RegisterWindowMessageA((std::string(kLibraryName) + ".ResolveMessage").c_str());
    S().SocketMessageId =
        RegisterWindowMessageA((std::string(kLibraryName) + ".csocketMessage").c_str());
    S().RetiredMessageId =
        RegisterWindowMessageA((std::string(kLibraryName) + ".csocketRetired").c_str());
    return S().MaxDatagramSize;
}

void EndcsocketService() {
    if (S().SocketRegistry || !S().ServiceStarted) return;
    WSACleanup();
    S().ServiceStarted = false;
}

HWND OpenSocketWindow() {
    S().SocketWindow = CreateWindowExA(0, "STATIC", "SOCKET_WINDOW", 0, 0, 0, 0, 0, nullptr,
                                       nullptr, nullptr, nullptr);
    if (S().SocketWindow == nullptr) return nullptr;
    S().PreviousWindowProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        S().SocketWindow, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SocketWindowProc)));
    return S().SocketWindow;
}

bool CloseSocketWindow() {
    // Requests still pending would write into buffers that go now: cancel them first.
    Module& m = TheModule();
    for (const auto& [request, buffer] : m.buffers) WSACancelAsyncRequest(request);
    m.buffers.clear();
    // Notifications still queued go with the window.
    m.retired.clear();
    S().ResolveRegistry.reset();
    S().HostBufferRegistry.reset();
    const bool restored =
        SetWindowLongPtrA(S().SocketWindow, GWLP_WNDPROC,
                          reinterpret_cast<LONG_PTR>(S().PreviousWindowProc)) != 0;
    const bool destroyed = DestroyWindow(S().SocketWindow);
    S().SocketWindow = nullptr;
    return restored && destroyed;
}

std::optional<SocketError> RegisterSocket(SOCKET handle, std::int32_t identity) {
    if (S().SocketWindow == nullptr && OpenSocketWindow() == nullptr)
        return SocketError(WSAEINTR, "MSocketSupport.RegisterSocket", kCanceledText);
    if (!S().SocketRegistry) S().SocketRegistry.emplace();
    if (!S().SocketRegistry->emplace(SocketKey(handle), identity).second)
        return SocketError(0, "", "");
    if (WSAAsyncSelect(handle, S().SocketWindow, S().SocketMessageId, NetworkEventMask) ==
        SOCKET_ERROR) {
        // The entry goes too, so that nothing is ever dispatched through it.
        const int number = WSAGetLastError();
        DetachSocket(handle);
        return SocketError::FromNumber(number, "MSocketSupport.RegisterSocket");
    }
    return std::nullopt;
}

bool DetachSocket(SOCKET handle) {
    if (!S().SocketRegistry || handle == INVALID_SOCKET) return false;
    WSAAsyncSelect(handle, S().SocketWindow, 0, 0);
    const bool removed = S().SocketRegistry->erase(SocketKey(handle)) == 1;
    if (!S().SocketRegistry->empty()) {
        if (removed &&
            PostMessageA(S().SocketWindow, S().RetiredMessageId, static_cast<WPARAM>(handle), 0))
            ++TheModule().retired[handle];
        return removed;
    }
    S().SocketRegistry.reset();
    return CloseSocketWindow() && removed;
}

HANDLE ResolveHost(const std::string& hostName, std::int32_t identity,
                   std::optional<SocketError>& error) {
    auto buffer = std::make_unique<HostBuffer>();
    if (!S().ResolveRegistry) {
        S().HostBufferRegistry.emplace();
        S().ResolveRegistry.emplace();
    }
    const HANDLE request =
        WSAAsyncGetHostByName(S().SocketWindow, S().ResolveMessageId, hostName.c_str(),
                              buffer->data(), HostResultBufferSize);
    if (request == nullptr) {
        DiscardResolveRegistriesIfEmpty();
        error = SocketError::FromNumber(WSAGetLastError(), "MSocketSupport.ResolveHost");
        return nullptr;
    }
    // A second request of the same object takes over its buffer entry; the first request keeps
    // its own buffer until its result comes.
    (*S().HostBufferRegistry)[SocketKey(identity)] = RequestNumber(request);
    (*S().ResolveRegistry)[ResolveKey(RequestNumber(request))] = identity;
    TheModule().buffers.emplace(request, std::move(buffer));
    return request;
}

LRESULT CALLBACK SocketWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        if (message == S().SocketMessageId) {
            DispatchSocketEvent(wParam, lParam);
            return 0;
        }
        if (message == S().ResolveMessageId) {
            DispatchResolveResult(wParam, lParam);
            return 0;
        }
        if (message == S().RetiredMessageId) {
            HandleRetired(wParam);
            return 0;
        }
    } catch (...) {
        // No failure ever leaves the window procedure.
        return 0;
    }
    return CallWindowProcA(S().PreviousWindowProc, window, message, wParam, lParam);
}

std::int32_t EnterLiveObject(const std::weak_ptr<CSocket>& object) {
    Module& m = TheModule();
    const std::int32_t identity = m.nextIdentity++;
    m.live.emplace(identity, object);
    return identity;
}

void LeaveLiveObject(std::int32_t identity) {
    TheModule().live.erase(identity);
}

std::shared_ptr<CSocket> SocketFromPointer(std::int32_t identity) {
    const auto found = TheModule().live.find(identity);
    return found == TheModule().live.end() ? nullptr : found->second.lock();
}

std::uint32_t LowWord(std::int64_t value) {
    return static_cast<std::uint32_t>(value) & 0xFFFF;
}
std::uint32_t HighWord(std::int64_t value) {
    return (static_cast<std::uint32_t>(value) >> 16) & 0xFFFF;
}

std::int16_t ToSigned16(std::int64_t value) {
    if (value < 0 || value > 65535) throw SocketError(kOverflow, "", "Overflow");
    return static_cast<std::int16_t>(value > 32767 ? value - 65536 : value);
}

std::int32_t ToUnsigned16(std::int16_t value) {
    return value < 0 ? value + 65536 : value;
}

std::string SocketKey(std::int64_t value) {
    return "S" + std::to_string(value);
}
std::string ResolveKey(std::int64_t value) {
    return "R" + std::to_string(value);
}

}  // namespace MSocketSupport
}  // namespace netpull
