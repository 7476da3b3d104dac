// The process-wide part of the socket layer: service start, hidden window, registries.
#include "netpull/socket/socket_support.h"

#include <cstddef>
#include <cstring>
#include <type_traits>
#include <vector>

#include "netpull/socket/csocket.h"
#include "netpull/socket/windows_sockets.h"
#include "socket_addresses.h"

namespace netpull {

// The only way from the window procedure into a socket object's notification handlers.
struct CSocketDispatch {
    static void Socket(CSocket& object, SOCKET handle, std::uint32_t event, std::uint32_t error) {
        object.PostSocketEvent(handle, event, error);
    }
    static void Resolve(CSocket& object, HANDLE request, const std::vector<HostAddress>& addresses,
                        const std::string& name, std::int32_t error) {
        object.PostGetHostEvent(request, addresses, name, error);
    }
    static void NextAttempt(CSocket& object) { object.StartNextAttempt(); }
};

namespace MSocketSupport {
namespace {

constexpr const char* kLibraryName = "Netpull";
constexpr int kOverflow = 6;

// One lookup: what the system writes while it runs, on a thread of its own on Windows. The
// system's reference goes when its completion routine has run; the module's when the result is
// handled or the window closes. Whichever goes last frees the result.
struct Lookup {
    OVERLAPPED overlapped{};  // first: the completion routine is given its address
    PADDRINFOEXW result = nullptr;
    HWND window = nullptr;
    UINT message = 0;
    HANDLE request = nullptr;
    std::shared_ptr<Lookup> whileRunning;

    Lookup() = default;
    Lookup(const Lookup&) = delete;
    Lookup& operator=(const Lookup&) = delete;
    ~Lookup() {
        if (result != nullptr) FreeAddrInfoExW(result);
    }
};
static_assert(std::is_standard_layout_v<Lookup> && offsetof(Lookup, overlapped) == 0);

struct Module {
    ServiceState state;
    // The lookup of each pending request, held until its result is handled.
    std::map<HANDLE, std::shared_ptr<Lookup>> lookups;
    std::uintptr_t nextRequest = 0xDEAE;
    std::map<UINT_PTR, std::int32_t> attemptTimers;  // timer -> object identity
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

std::shared_ptr<Lookup> ReleaseRequest(HANDLE request, std::optional<std::int64_t>& identity) {
    Module& m = TheModule();
    std::shared_ptr<Lookup> lookup;
    if (const auto found = m.lookups.find(request); found != m.lookups.end()) {
        lookup = std::move(found->second);
        m.lookups.erase(found);
    }
    identity = Find(S().ResolveRegistry, ResolveKey(RequestNumber(request)));
    if (identity) {
        S().ResolveRegistry->erase(ResolveKey(RequestNumber(request)));
        // The object's buffer entry goes only if it still names this request.
        if (Find(S().HostBufferRegistry, SocketKey(*identity)) == RequestNumber(request))
            S().HostBufferRegistry->erase(SocketKey(*identity));
    }
    DiscardResolveRegistriesIfEmpty();
    return lookup;
}

void DispatchSocketEvent(WPARAM wParam, LPARAM lParam) {
    const auto handle = static_cast<SOCKET>(wParam);
    if (TheModule().retired.contains(handle)) return;
    const auto identity = Find(S().SocketRegistry, SocketKey(static_cast<std::int64_t>(handle)));
    if (!identity) return;
    const std::shared_ptr<CSocket> object = ObjectOf(*identity);
    if (object) CSocketDispatch::Socket(*object, handle, LowWord(lParam), HighWord(lParam));
}

// Every notification posted before this message has been delivered: the handle is the next
// socket's from now on.
void HandleRetired(WPARAM wParam) {
    auto& retired = TheModule().retired;
    const auto found = retired.find(static_cast<SOCKET>(wParam));
    if (found != retired.end() && --found->second == 0) retired.erase(found);
}

// The addresses of a lookup, IPv4 and IPv6, in the order the system gave them.
std::vector<HostAddress> AddressesOf(PADDRINFOEXW list) {
    std::vector<HostAddress> addresses;
    // mingw-w64 declares ai_next as a pointer to a struct of another spelling: it is the same.
    for (; list != nullptr; list = reinterpret_cast<PADDRINFOEXW>(list->ai_next)) {
        if (list->ai_addr == nullptr) continue;
        SocketAddress record;
        const bool known = list->ai_family == AF_INET || list->ai_family == AF_INET6;
        if (!known || list->ai_addrlen > sizeof record.storage) continue;
        std::memcpy(&record.storage, list->ai_addr, list->ai_addrlen);
        addresses.push_back(AddressOf(record));
    }
    return addresses;
}

// The canonical name in ASCII, as host names are; empty when the system gave none.
std::string CanonicalNameOf(PADDRINFOEXW list) {
    std::string name;
    if (list == nullptr || list->ai_canonname == nullptr) return name;
    for (PCWSTR c = list->ai_canonname; *c != L'\0'; ++c) {
        if (*c < 0x20 || *c > 0x7E) return {};
        name.push_back(static_cast<char>(*c));
    }
    return name;
}

void DispatchResolveResult(WPARAM wParam, LPARAM lParam) {
    const auto request = reinterpret_cast<HANDLE>(wParam);
    const auto error = static_cast<std::int32_t>(HighWord(lParam));
    std::optional<std::int64_t> identity;
    const std::shared_ptr<Lookup> lookup = ReleaseRequest(request, identity);
    if (!identity || !lookup) return;
    const std::shared_ptr<CSocket> object = ObjectOf(*identity);
    if (!object) return;
    if (error != 0) return CSocketDispatch::Resolve(*object, request, {}, "", error);
    CSocketDispatch::Resolve(*object, request, AddressesOf(lookup->result),
                             CanonicalNameOf(lookup->result), 0);
}

// Runs where the system completes the lookup (a thread of its own on Windows): it only posts.
void CALLBACK LookupCompleted(DWORD error, DWORD, LPWSAOVERLAPPED overlapped) {
    auto* lookup = reinterpret_cast<Lookup*>(overlapped);
    const std::shared_ptr<Lookup> keep = std::move(lookup->whileRunning);
    PostMessageA(lookup->window, lookup->message, reinterpret_cast<WPARAM>(lookup->request),
                 static_cast<LPARAM>(WSAMAKEASYNCREPLY(0, error)));
}

void CALLBACK AttemptTimerFired(HWND, UINT, UINT_PTR timer, DWORD) {
    Module& m = TheModule();
    const auto found = m.attemptTimers.find(timer);
    if (found == m.attemptTimers.end()) return;
    const std::int32_t identity = found->second;
    KillTimer(nullptr, timer);
    m.attemptTimers.erase(found);
    try {
        if (const std::shared_ptr<CSocket> object = SocketFromPointer(identity))
            CSocketDispatch::NextAttempt(*object);
    } catch (...) {
        // No failure ever leaves a timer procedure, as none leaves the window procedure.
    }
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
    // Lookups still running keep what they write until they complete; their results are not
    // awaited any more.
    Module& m = TheModule();
    m.lookups.clear();
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
    Module& m = TheModule();
    // Host names are ASCII; other bytes are given as the Latin-1 characters they would be.
    std::wstring wideName;
    for (const char c : hostName) wideName.push_back(static_cast<unsigned char>(c));
    auto lookup = std::make_shared<Lookup>();
    lookup->window = S().SocketWindow;
    lookup->message = S().ResolveMessageId;
    lookup->request = reinterpret_cast<HANDLE>(m.nextRequest++);
    lookup->whileRunning = lookup;
    ADDRINFOEXW hints{};
    hints.ai_flags = AI_CANONNAME;
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    // The system may complete the lookup before the call returns: the module holds it first.
    if (!S().ResolveRegistry) {
        S().HostBufferRegistry.emplace();
        S().ResolveRegistry.emplace();
    }
    const HANDLE request = lookup->request;
    m.lookups.emplace(request, lookup);
    (*S().ResolveRegistry)[ResolveKey(RequestNumber(request))] = identity;
    const int started = GetAddrInfoExW(
        wideName.c_str(), nullptr, NS_ALL, nullptr, &hints, &lookup->result, nullptr,
        &lookup->overlapped, reinterpret_cast<LPLOOKUPSERVICE_COMPLETION_ROUTINE>(&LookupCompleted),
        nullptr);
    // An answer known at once comes without the routine: it is posted as the routine would.
    if (started == NO_ERROR) LookupCompleted(0, 0, &lookup->overlapped);
    if (started != WSA_IO_PENDING && started != NO_ERROR) {
        // The routine never runs: the system's reference goes here.
        lookup->whileRunning.reset();
        std::optional<std::int64_t> ignored;
        ReleaseRequest(request, ignored);
        error = SocketError::FromNumber(started != 0 ? started : WSANO_RECOVERY,
                                        "MSocketSupport.ResolveHost");
        return nullptr;
    }
    // A second request of the same object takes over its entry; the first request's result is
    // still taken, and dropped.
    (*S().HostBufferRegistry)[SocketKey(identity)] = RequestNumber(request);
    return request;
}

UINT_PTR StartAttemptTimer(std::int32_t identity, UINT milliseconds) {
    const UINT_PTR timer = SetTimer(nullptr, 0, milliseconds, &AttemptTimerFired);
    if (timer != 0) TheModule().attemptTimers[timer] = identity;
    return timer;
}

void StopAttemptTimer(UINT_PTR timer) {
    if (timer == 0) return;
    KillTimer(nullptr, timer);
    TheModule().attemptTimers.erase(timer);
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
