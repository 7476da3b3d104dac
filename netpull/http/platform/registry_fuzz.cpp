// libFuzzer target for the registry file reader: any text either parses, and then writes back
// to text that parses to the same keys, or is refused.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "netpull/http/platform/registry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto keys = netpull::registry::Parse(text);
    if (keys && netpull::registry::Parse(netpull::registry::Serialize(*keys)) != keys) std::abort();
    return 0;
}
