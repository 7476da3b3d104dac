// The one place where POSIX errno values become Windows Sockets error numbers.
#include "netpull/socket/platform/errors.h"

#include <cerrno>

namespace netpull::platform {
namespace {

// One entry a line, which the formatter would fold into a pyramid.
// clang-format off
#define NETPULL_ERRNO_MAP(X) \
    X(EINTR, 10004) \
    X(EACCES, 10013) \
    X(EPERM, 10013) \
    X(EFAULT, 10014) \
    X(EINVAL, 10022) \
    X(EMFILE, 10024) \
    X(ENFILE, 10024) \
    X(EWOULDBLOCK, 10035) \
    X(EINPROGRESS, 10035) \
    X(EALREADY, 10037) \
    X(ENOTSOCK, 10038) \
    X(EBADF, 10038) \
    X(EDESTADDRREQ, 10039) \
    X(EMSGSIZE, 10040) \
    X(EPROTOTYPE, 10041) \
    X(ENOPROTOOPT, 10042) \
    X(EPROTONOSUPPORT, 10043) \
    X(ESOCKTNOSUPPORT, 10044) \
    X(EOPNOTSUPP, 10045) \
    X(EPFNOSUPPORT, 10046) \
    X(EAFNOSUPPORT, 10047) \
    X(EADDRINUSE, 10048) \
    X(EADDRNOTAVAIL, 10049) \
    X(ENETDOWN, 10050) \
    X(ENETUNREACH, 10051) \
    X(ENETRESET, 10052) \
    X(ECONNABORTED, 10053) \
    X(ECONNRESET, 10054) \
    X(EPIPE, 10054) \
    X(ENOBUFS, 10055) \
    X(ENOMEM, 10055) \
    X(EISCONN, 10056) \
    X(ENOTCONN, 10057) \
    X(ESHUTDOWN, 10058) \
    X(ETIMEDOUT, 10060) \
    X(ECONNREFUSED, 10061) \
    X(EHOSTDOWN, 10064) \
    X(EHOSTUNREACH, 10065)
// clang-format on

thread_local int lastError = 0;

}  // namespace

int WsaErrorFromErrno(int errnoValue) {
    switch (errnoValue) {
#define NETPULL_ERRNO_CASE(posix, wsa) \
    case posix:                        \
        return wsa;
        // EWOULDBLOCK equals EAGAIN on Linux; the table names it once.
        NETPULL_ERRNO_MAP(NETPULL_ERRNO_CASE)
#undef NETPULL_ERRNO_CASE
        default:
            return 10107;  // system call failure
    }
}

int WSAGetLastError() {
    return lastError;
}
void WSASetLastError(int error) {
    lastError = error;
}

int FailWithErrno() {
    lastError = WsaErrorFromErrno(errno);
    return -1;
}

}  // namespace netpull::platform
