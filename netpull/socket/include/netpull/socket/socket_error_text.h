// The English descriptions of the Windows Sockets error numbers, and the layer's own
// numbers and messages that do not come from that table.
#pragma once

#include <string>

namespace netpull {

// The description of a Windows Sockets error number; "Unknown error." for any other number.
std::string SocketErrorText(int number);

inline constexpr int ErrWrongState = 40006;
inline constexpr const char* kWrongStateText =
    "Wrong protocol or connection state for the requested transaction or request.";
inline constexpr const char* kCanceledText = "The operation was canceled.";

// The description of a failed start of the socket service, by its failure code.
std::string StartupFailureText(int code);

}  // namespace netpull
