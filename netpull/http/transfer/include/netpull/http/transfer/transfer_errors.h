// The error numbers of a download that are its own, beside the socket layer's and the HTTP
// statuses that end it.
#pragma once

#include <cstdint>

namespace netpull::http {

inline constexpr std::int32_t kConnectionLost = 1;
inline constexpr std::int32_t kHeaderTooLarge = 2;
inline constexpr std::int32_t kBadStatusLine = 3;
inline constexpr std::int32_t kBadChunkedBody = 4;
inline constexpr std::int32_t kBadContentLength = 5;
inline constexpr std::int32_t kUnsupportedScheme = 6;
// The secure connection's: its handshake, the server's certificate, and the records after it.
inline constexpr std::int32_t kTlsHandshakeFailed = 7;
inline constexpr std::int32_t kCertificateUntrusted = 8;
inline constexpr std::int32_t kCertificateExpired = 9;
inline constexpr std::int32_t kCertificateWrongHost = 10;
inline constexpr std::int32_t kTlsConnectionFailed = 11;
// Redirects and URLs.
inline constexpr std::int32_t kTooManyRedirects = 12;
inline constexpr std::int32_t kInsecureRedirect = 13;
inline constexpr std::int32_t kMalformedUrl = 14;
inline constexpr std::int32_t kFileError = 75;  // "Path/File access error", as hosts know it

}  // namespace netpull::http
