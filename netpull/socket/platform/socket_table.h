// The sockets that the stand-in knows: their descriptors, what phase each is in, and the
// notifications asked for with WSAAsyncSelect together with the flags that decide when each
// network event may be posted again.
#pragma once

#include "netpull/socket/platform/win_types.h"

namespace netpull::platform::table {

enum class Phase { Created, Connecting, Connected, Listening, Datagram, Failed };

SOCKET Add(int descriptor, Phase phase);
// A connection accepted from a listener, with the listener's notification request.
SOCKET AddAccepted(SOCKET listener, int descriptor);
// Removes the socket and returns its descriptor, or -1 when the handle is unknown.
int Remove(SOCKET s);
int Descriptor(SOCKET s);
bool IsStream(SOCKET s);

void SetPhase(SOCKET s, Phase phase);
// A connect that failed at once is reported like Windows does: later, as a connect event.
void ConnectStarted(SOCKET s, int immediateError);
int Select(SOCKET s, HWND window, UINT message, long events);

// The program's calls that re-enable an event.
void Reenable(SOCKET s, long event);

// An accept that failed for lack of resources leaves the connection waiting: the accept
// notification comes again only after a pause, not at every pump.
inline constexpr UINT kAcceptPauseMs = 100;
void ReenableAcceptAfterPause(SOCKET s);

}  // namespace netpull::platform::table
