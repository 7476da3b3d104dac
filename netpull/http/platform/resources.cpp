// The control library's resources: parsing the section and finding it in an ELF file.
#include "netpull/http/platform/resources.h"

#include <elf.h>

#include <cstring>
#include <fstream>
#include <iterator>

namespace netpull::resources {
namespace {

// Reads little-endian numbers from a blob, refusing to go past its end.
class Reader {
  public:
    explicit Reader(std::string_view data) : data_(data) {}
    template <typename T>
    bool Read(T& value) {
        if (at_ + sizeof(T) > data_.size()) return false;
        std::memcpy(&value, data_.data() + at_, sizeof(T));
        at_ += sizeof(T);
        return true;
    }
    bool Text(std::size_t length, std::string& text) {
        if (at_ + length > data_.size()) return false;
        text.assign(data_.substr(at_, length));
        at_ += length;
        return true;
    }

  private:
    std::string_view data_;
    std::size_t at_ = 0;
};

template <typename T>
bool ReadAt(const std::string& file, std::uint64_t offset, T& value) {
    if (offset > file.size() || file.size() - offset < sizeof(T)) return false;
    std::memcpy(&value, file.data() + offset, sizeof(T));
    return true;
}

}  // namespace

std::optional<std::vector<Resource>> ParseResources(std::string_view blob) {
    Reader reader(blob);
    std::string magic;
    std::uint32_t count = 0;
    if (!reader.Text(4, magic) || magic != "NPRS" || !reader.Read(count) || count > 1024)
        return std::nullopt;
    std::vector<Resource> resources;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint16_t length = 0;
        Resource resource{};
        std::uint32_t offset = 0, size = 0;
        if (!reader.Read(length) || !reader.Text(length, resource.type) ||
            !reader.Read(resource.id) || !reader.Read(resource.language) || !reader.Read(offset) ||
            !reader.Read(size))
            return std::nullopt;
        if (offset > blob.size() || blob.size() - offset < size) return std::nullopt;
        resource.data = blob.substr(offset, size);
        resources.push_back(std::move(resource));
    }
    return resources;
}

const Resource* FindResource(const std::vector<Resource>& resources, std::string_view type,
                             std::uint32_t id) {
    for (const Resource& resource : resources)
        if (resource.type == type && resource.id == id) return &resource;
    return nullptr;
}

std::optional<std::string> ReadResourceSection(const std::string& path) {
    std::ifstream stream(path, std::ios::binary);
    const std::string file{std::istreambuf_iterator<char>(stream),
                           std::istreambuf_iterator<char>()};
    Elf64_Ehdr header{};
    if (!ReadAt(file, 0, header) || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
        header.e_ident[EI_CLASS] != ELFCLASS64 || header.e_shentsize != sizeof(Elf64_Shdr))
        return std::nullopt;
    Elf64_Shdr names{};
    if (!ReadAt(file, header.e_shoff + std::uint64_t{header.e_shstrndx} * sizeof(Elf64_Shdr),
                names))
        return std::nullopt;
    for (std::uint16_t i = 0; i < header.e_shnum; ++i) {
        Elf64_Shdr section{};
        if (!ReadAt(file, header.e_shoff + std::uint64_t{i} * sizeof(Elf64_Shdr), section))
            return std::nullopt;
        const std::uint64_t nameAt = names.sh_offset + section.sh_name;
        if (nameAt >= file.size()) continue;
        const std::string_view name(file.c_str() + nameAt);
        if (name != kSectionName) continue;
        if (section.sh_offset > file.size() || file.size() - section.sh_offset < section.sh_size)
            return std::nullopt;
        return file.substr(section.sh_offset, section.sh_size);
    }
    return std::nullopt;
}

}  // namespace netpull::resources
