// The error space of the socket layer, in one table: each Windows Sockets error number with its
// Windows name, its English description, and the POSIX errno values that the Linux stand-in
// reports as it. The names, the descriptions and the errno map are all made from it.
#pragma once

// X(number, name, description, errno...): one error a line, which the formatter would fold.
// clang-format off
#define NETPULL_SOCKET_ERRORS(X) \
    X(10004, WSAEINTR, "Interrupted function call.", EINTR) \
    X(10013, WSAEACCES, "Permission denied.", EACCES, EPERM) \
    X(10014, WSAEFAULT, "Bad address.", EFAULT) \
    X(10022, WSAEINVAL, "Invalid argument.", EINVAL) \
    X(10024, WSAEMFILE, "Too many open files.", EMFILE, ENFILE) \
    X(10035, WSAEWOULDBLOCK, "Resource temporarily unavailable.", EWOULDBLOCK, EINPROGRESS) \
    X(10036, WSAEINPROGRESS, "Operation now in progress.") \
    X(10037, WSAEALREADY, "Operation already in progress.", EALREADY) \
    X(10038, WSAENOTSOCK, "Socket operation on nonsocket.", ENOTSOCK, EBADF) \
    X(10039, WSAEDESTADDRREQ, "Destination address required.", EDESTADDRREQ) \
    X(10040, WSAEMSGSIZE, "Message too long.", EMSGSIZE) \
    X(10041, WSAEPROTOTYPE, "Protocol wrong type for socket.", EPROTOTYPE) \
    X(10042, WSAENOPROTOOPT, "Bad protocol option.", ENOPROTOOPT) \
    X(10043, WSAEPROTONOSUPPORT, "Protocol not supported.", EPROTONOSUPPORT) \
    X(10044, WSAESOCKTNOSUPPORT, "Socket type not supported.", ESOCKTNOSUPPORT) \
    X(10045, WSAEOPNOTSUPP, "Operation not supported.", EOPNOTSUPP) \
    X(10046, WSAEPFNOSUPPORT, "Protocol family not supported.", EPFNOSUPPORT) \
    X(10047, WSAEAFNOSUPPORT, "Address family not supported by protocol family.", EAFNOSUPPORT) \
    X(10048, WSAEADDRINUSE, "Address already in use.", EADDRINUSE) \
    X(10049, WSAEADDRNOTAVAIL, "Cannot assign requested address.", EADDRNOTAVAIL) \
    X(10050, WSAENETDOWN, "Network is down.", ENETDOWN) \
    X(10051, WSAENETUNREACH, "Network is unreachable.", ENETUNREACH) \
    X(10052, WSAENETRESET, "Network dropped connection on reset.", ENETRESET) \
    X(10053, WSAECONNABORTED, "Software caused connection abort.", ECONNABORTED) \
    X(10054, WSAECONNRESET, "Connection reset by peer.", ECONNRESET, EPIPE) \
    X(10055, WSAENOBUFS, "No buffer space available.", ENOBUFS, ENOMEM) \
    X(10056, WSAEISCONN, "Socket is already connected.", EISCONN) \
    X(10057, WSAENOTCONN, "Socket is not connected.", ENOTCONN) \
    X(10058, WSAESHUTDOWN, "Cannot send after socket shutdown.", ESHUTDOWN) \
    X(10060, WSAETIMEDOUT, "Connection timed out.", ETIMEDOUT) \
    X(10061, WSAECONNREFUSED, "Connection refused.", ECONNREFUSED) \
    X(10064, WSAEHOSTDOWN, "Host is down.", EHOSTDOWN) \
    X(10065, WSAEHOSTUNREACH, "No route to host.", EHOSTUNREACH) \
    X(10067, WSAEPROCLIM, "Too many processes.") \
    X(10091, WSASYSNOTREADY, "Network subsystem is unavailable.") \
    X(10092, WSAVERNOTSUPPORTED, "csocket.dll version out of range.") \
    X(10093, WSANOTINITIALISED, "Successful WSAStartup not yet performed.") \
    X(10101, WSAEDISCON, "Graceful shutdown in progress.") \
    X(10107, WSASYSCALLFAILURE, "System call failure.") \
    X(10109, WSATYPE_NOT_FOUND, "Class type not found.") \
    X(10111, WSA_E_CANCELLED, "Call was canceled.") \
    X(11001, WSAHOST_NOT_FOUND, "Host not found.") \
    X(11002, WSATRY_AGAIN, "Nonauthoritative host not found.") \
    X(11003, WSANO_RECOVERY, "This is a nonrecoverable error.") \
    X(11004, WSANO_DATA, "Valid name, no data record of requested type.")
// clang-format on
