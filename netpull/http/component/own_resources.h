// The resources this library carries, read in place from its own resource section.
#pragma once

#include <optional>
#include <vector>

#include "netpull/http/platform/resources.h"

namespace netpull::component {

std::optional<std::vector<resources::Resource>> OwnResources();

}  // namespace netpull::component
