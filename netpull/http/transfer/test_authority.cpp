// The test authority's file, trusted by TLS sessions besides the system's trust store.
#include <cstdlib>

#include "tls_session.h"

namespace netpull::http {

std::string TestAuthorityFile() {
    const char* file = std::getenv("NETPULL_TEST_AUTHORITY");
    return file != nullptr ? file : "";
}

}  // namespace netpull::http
