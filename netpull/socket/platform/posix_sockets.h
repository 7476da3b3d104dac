// The POSIX socket calls behind the stand-in's Windows Sockets, in types of neither interface
// so that each side keeps its own headers. Each call returns -1 and leaves errno on failure.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace netpull::platform::posix {

// An IPv4 or IPv6 end, address and port in network byte order.
struct Endpoint {
    bool v6 = false;
    std::uint32_t address = 0;                // IPv4
    std::array<std::uint8_t, 16> address6{};  // IPv6
    std::uint32_t scope = 0;                  // IPv6
    std::uint16_t port = 0;
};

enum class Option { Broadcast, SendBuffer, ReceiveBuffer, Type, ReuseAddress, PendingError };

// Non-blocking, closed on exec.
int OpenSocket(bool datagram, bool v6);
int Close(int descriptor);
int Connect(int descriptor, Endpoint to);
int Bind(int descriptor, Endpoint local);
int Listen(int descriptor, int backlog);
int Accept(int descriptor, Endpoint* peer);
// MSG_OOB and MSG_PEEK have the same numbers on both sides; no signal on a closed peer.
long Send(int descriptor, const char* data, int length, int flags);
long SendTo(int descriptor, const char* data, int length, int flags, Endpoint to);
long Receive(int descriptor, char* data, int length, int flags);
// For a datagram socket, the datagram's whole length even when longer than the buffer.
long ReceiveFrom(int descriptor, char* data, int length, int flags, bool datagram, Endpoint* from);
int LocalEnd(int descriptor, Endpoint* end);
int PeerEnd(int descriptor, Endpoint* end);
// Stream or datagram, for Option::Type.
inline constexpr int kStream = 1;
inline constexpr int kDatagram = 2;
int GetOption(int descriptor, Option option, int* value);
int SetOption(int descriptor, Option option, int value);
int GetLinger(int descriptor, bool* on, int* seconds);
int SetLinger(int descriptor, bool on, int seconds);

// The address of dotted text as inet_aton reads it; false when it is none.
bool ParseDotted(const char* text, std::uint32_t* address);
std::string DottedText(std::uint32_t address);
// IPv6 text as inet_pton reads it and inet_ntop writes it.
bool ParseIpv6(const char* text, std::array<std::uint8_t, 16>* address);
std::string Ipv6Text(const std::array<std::uint8_t, 16>& address);
// The registered name of an address; empty when it has none.
std::string NameOf(std::uint32_t address);

}  // namespace netpull::platform::posix
