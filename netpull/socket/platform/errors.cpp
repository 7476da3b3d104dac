// The one place where POSIX errno values become Windows Sockets error numbers.
#include "errors.h"

#include <array>
#include <cerrno>

#include "netpull/socket/platform/win_types.h"

namespace netpull::platform {
namespace {

// Each Windows Sockets number with the errno values reported as it; 0 pads the list.
struct ErrnoMapping {
    int number;
    std::array<int, 2> errnoValues;
};
#define NETPULL_ERRNO_MAPPING(number, name, description, ...) {number, {__VA_ARGS__}},
constexpr ErrnoMapping kErrnoMap[] = {NETPULL_SOCKET_ERRORS(NETPULL_ERRNO_MAPPING)};
#undef NETPULL_ERRNO_MAPPING

}  // namespace

thread_local int lastError = 0;

int WsaErrorFromErrno(int errnoValue) {
    for (const ErrnoMapping& mapping : kErrnoMap)
        for (const int value : mapping.errnoValues)
            if (value != 0 && value == errnoValue) return mapping.number;
    return WSASYSCALLFAILURE;
}

int FailWithErrno() {
    lastError = WsaErrorFromErrno(errno);
    return -1;
}

}  // namespace netpull::platform

int WSAGetLastError() {
    return netpull::platform::lastError;
}
void WSASetLastError(int error) {
    netpull::platform::lastError = error;
}
