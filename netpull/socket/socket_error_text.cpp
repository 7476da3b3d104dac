// The English descriptions of the Windows Sockets error numbers.
#include "netpull/socket/socket_error_text.h"

#include "netpull/socket/socket_error_table.h"
#include "netpull/socket/windows_api.h"

namespace netpull {
namespace {

struct Description {
    int number;
    const char* text;
};
#define NETPULL_ERROR_DESCRIPTION(number, name, description, ...) {number, description},
constexpr Description kDescriptions[] = {NETPULL_SOCKET_ERRORS(NETPULL_ERROR_DESCRIPTION)};
#undef NETPULL_ERROR_DESCRIPTION

}  // namespace

std::string SocketErrorText(int number) {
    for (const Description& description : kDescriptions)
        if (description.number == number) return description.text;
    return "Unknown error.";
}

std::string StartupFailureText(int code) {
    switch (code) {
        case WSAEINVAL:
            return "The Windows Sockets version specified by the application is not supported by "
                   "this DLL.";
        case WSASYSNOTREADY:
            return "The underlying network subsystem is not ready for network communication.";
        case WSAVERNOTSUPPORTED:
            return "The version of Windows Sockets API support requested is not provided by this "
                   "particular "
                   "Windows Sockets implementation.";
        default:
            return "";
    }
}

}  // namespace netpull
