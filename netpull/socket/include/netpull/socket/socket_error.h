// A raised error of the socket layer: number, source and description. An operation that
// catches one and raises it again keeps the number and description and puts its own source.
#pragma once

#include <stdexcept>
#include <string>

#include "netpull/socket/socket_error_text.h"

namespace netpull {

class SocketError : public std::runtime_error {
  public:
    SocketError(int number, std::string source, std::string description)
        : std::runtime_error(description),
          number_(number),
          source_(std::move(source)),
          description_(std::move(description)) {}

    // The error of a failed Windows Sockets call: its number and the table's text.
    static SocketError FromNumber(int number, std::string source) {
        return SocketError(number, std::move(source), SocketErrorText(number));
    }

    int Number() const { return number_; }
    const std::string& Source() const { return source_; }
    const std::string& Description() const { return description_; }
    SocketError WithSource(std::string source) const {
        return {number_, std::move(source), description_};
    }

  private:
    int number_;
    std::string source_;
    std::string description_;
};

// Runs an operation and raises any failure again under the given source.
template <typename Operation>
decltype(auto) WithSource(const char* source, Operation&& operation) {
    try {
        return operation();
    } catch (const SocketError& error) {
        throw error.WithSource(source);
    }
}

}  // namespace netpull
