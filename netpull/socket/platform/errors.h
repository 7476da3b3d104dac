// The one place where POSIX errno values become Windows Sockets error numbers, and the
// thread's last socket error that Windows keeps after a failed call.
#pragma once

namespace netpull::platform {

int WsaErrorFromErrno(int errnoValue);
// Records the Windows Sockets number of the current errno as the last error; returns -1.
int FailWithErrno();

}  // namespace netpull::platform
