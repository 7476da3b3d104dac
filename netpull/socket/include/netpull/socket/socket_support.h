// The process-wide part of the socket layer shared by every socket object: it starts the
// socket service once, owns the hidden window whose procedure receives every socket
// notification and resolution result, and keeps the registries that lead from a socket handle
// or a resolution request back to the object that owns it.
//
// Registries hold object identities, never pointers: an identity is looked up among the live
// objects at every dispatch, so nothing is ever delivered to an object that is gone. A name is
// looked up with GetAddrInfoExW, whose completion only posts the result to the window; what
// the system writes stays alive until it has completed, even when nobody awaits it any more,
// so a result can never be written into memory that was freed or reused.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "netpull/socket/socket_error.h"
#include "netpull/socket/windows_api.h"

namespace netpull {

class CSocket;

namespace MSocketSupport {

inline constexpr long NetworkEventMask = FD_READ | FD_WRITE | FD_ACCEPT | FD_CONNECT | FD_CLOSE;
static_assert(NetworkEventMask == 59);

using Registry = std::map<std::string, std::int64_t>;

struct ServiceState {
    bool ServiceStarted = false;
    std::int32_t MaxDatagramSize = 0;
    UINT SocketMessageId = 0;
    UINT ResolveMessageId = 0;
    UINT RetiredMessageId = 0;  // a closed socket's notifications end here in the queue
    HWND SocketWindow = nullptr;
    WNDPROC PreviousWindowProc = nullptr;
    std::optional<Registry> SocketRegistry;      // "S<handle>" -> object identity
    std::optional<Registry> ResolveRegistry;     // "R<request>" -> object identity
    std::optional<Registry> HostBufferRegistry;  // "S<identity>" -> its latest request
};

// The module's state, for inspection by tests.
const ServiceState& State();

std::int32_t InitcsocketService();
void EndcsocketService();

// Enters a socket and asks for its notifications. On failure returns the error for the
// caller to use or drop.
std::optional<SocketError> RegisterSocket(SOCKET handle, std::int32_t identity);
bool DetachSocket(SOCKET handle);

// Starts resolving a host name; returns the request handle, or the error.
HANDLE ResolveHost(const std::string& hostName, std::int32_t identity,
                   std::optional<SocketError>& error);

// A timer that calls the object's next connection attempt once, unless stopped first.
UINT_PTR StartAttemptTimer(std::int32_t identity, UINT milliseconds);
void StopAttemptTimer(UINT_PTR timer);

LRESULT CALLBACK SocketWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

HWND OpenSocketWindow();
bool CloseSocketWindow();

// Live objects by identity; SocketFromPointer gives a counted reference for one dispatch,
// or nothing when the object is gone.
std::int32_t EnterLiveObject(const std::weak_ptr<CSocket>& object);
void LeaveLiveObject(std::int32_t identity);
std::shared_ptr<CSocket> SocketFromPointer(std::int32_t identity);

std::uint32_t LowWord(std::int64_t value);
std::uint32_t HighWord(std::int64_t value);
// Fails with an overflow error (number 6) outside 0 to 65535.
std::int16_t ToSigned16(std::int64_t value);
std::int32_t ToUnsigned16(std::int16_t value);
std::string SocketKey(std::int64_t value);   // "S" and the value
std::string ResolveKey(std::int64_t value);  // "R" and the value

}  // namespace MSocketSupport
}  // namespace netpull
