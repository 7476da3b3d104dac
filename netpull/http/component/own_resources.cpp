// The resources this library carries, read in place from its own resource section.
#include "own_resources.h"

// The linker marks the bounds of a section whose name is an identifier.
extern "C" const char __start_netpull_rsrc[];
extern "C" const char __stop_netpull_rsrc[];

namespace netpull::component {

std::optional<std::vector<resources::Resource>> OwnResources() {
    return resources::ParseResources(
        std::string_view(__start_netpull_rsrc,
                         static_cast<std::size_t>(__stop_netpull_rsrc - __start_netpull_rsrc)));
}

}  // namespace netpull::component
