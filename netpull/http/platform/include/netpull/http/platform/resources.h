// The control library's resources (type library, interface GUIDs, toolbox bitmap, version
// block), carried in a section of its own, netpull_rsrc, that holds a small index and the data.
// They can be read from inside the library or from the file without loading it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace netpull::resources {

struct Resource {
    std::string type;
    std::uint32_t id;
    std::uint16_t language;
    std::string_view data;  // inside the blob it was parsed from
};

inline constexpr std::string_view kSectionName = "netpull_rsrc";

// Refuses anything malformed: a bad magic, an entry or data past the blob's end.
std::optional<std::vector<Resource>> ParseResources(std::string_view blob);

const Resource* FindResource(const std::vector<Resource>& resources, std::string_view type,
                             std::uint32_t id);

// The section's bytes in an ELF file, read without loading it.
std::optional<std::string> ReadResourceSection(const std::string& path);

}  // namespace netpull::resources
