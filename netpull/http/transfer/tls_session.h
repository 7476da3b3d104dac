// The client side of one TLS 1.2 or 1.3 connection, with no socket of its own: the transfer
// hands it the bytes the socket received and sends the bytes it returns, so that TLS runs on
// the socket layer's events without a blocking call. The server's certificate is checked
// against the system's trust store and the host name, which is also sent (SNI).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace netpull::http {

class TlsSession {
  public:
    // Why the session ended: one of the transfer's TLS error numbers and its description.
    struct Failure {
        std::int32_t number = 0;
        std::string description;
    };

    // A session for the named host (a name or an IP address literal). The authority in the
    // PEM file that NETPULL_TEST_AUTHORITY names, if any, is trusted besides the system's:
    // tests use it for certificates of their own making.
    static std::unique_ptr<TlsSession> Create(const std::string& hostName);
    virtual ~TlsSession() = default;

    // Each call appends the records to send to `send`; false once the session has failed.
    virtual bool Start(std::string& send) = 0;
    // Takes bytes from the server; the application data they complete is appended to `plain`.
    virtual bool Receive(std::string_view bytes, std::string& plain, std::string& send) = 0;
    virtual bool Encrypt(std::string_view plain, std::string& send) = 0;

    virtual bool Established() const = 0;
    // The server ended its side with close_notify: what came before it is whole.
    virtual bool PeerClosed() const = 0;
    const Failure& Failed() const { return failure_; }

  protected:
    bool Fail(std::int32_t number, std::string description) {
        if (failure_.number == 0) failure_ = {number, std::move(description)};
        return false;
    }

  private:
    Failure failure_;
};

// The host as certificates name it: an IPv6 literal without the brackets of its URL.
inline std::string HostWithoutBrackets(const std::string& host) {
    return host.size() > 2 && host.front() == '[' && host.back() == ']'
               ? host.substr(1, host.size() - 2)
               : host;
}

// The file NETPULL_TEST_AUTHORITY names, or empty.
std::string TestAuthorityFile();

}  // namespace netpull::http
