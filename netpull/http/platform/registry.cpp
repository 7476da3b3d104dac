// The registry's model in one text file per user, changed in locked, atomic transactions.
#include "netpull/http/platform/registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace netpull::registry {
namespace {

std::string Quote(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

// Reads a quoted text at line[at], advancing at past it.
std::optional<std::string> Unquote(const std::string& line, std::size_t& at) {
    if (at >= line.size() || line[at] != '"') return std::nullopt;
    std::string text;
    for (++at; at < line.size(); ++at) {
        if (line[at] == '\\' && at + 1 < line.size())
            text += line[++at];
        else if (line[at] == '"')
            return ++at, text;
        else
            text += line[at];
    }
    return std::nullopt;
}

std::optional<Value> ParseValue(const std::string& text) {
    if (text.starts_with("dword:") && text.size() == 14) {
        char* end = nullptr;
        const unsigned long number = std::strtoul(text.c_str() + 6, &end, 16);
        if (*end == '\0') return static_cast<std::uint32_t>(number);
        return std::nullopt;
    }
    std::size_t at = 0;
    auto value = Unquote(text, at);
    if (!value || at != text.size()) return std::nullopt;
    return *value;
}

// A lock on a file beside the registry, held for one transaction.
class FileLock {
  public:
    explicit FileLock(const std::string& path)
        : descriptor_(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
        if (descriptor_ >= 0) ::flock(descriptor_, LOCK_EX);
    }
    ~FileLock() {
        if (descriptor_ >= 0) ::close(descriptor_);
    }
    bool Held() const { return descriptor_ >= 0; }

  private:
    int descriptor_;
};

std::optional<Keys> ReadFile(const std::string& path) {
    std::ifstream file(path);
    if (!file) return Keys{};  // no registry yet
    std::stringstream text;
    text << file.rdbuf();
    return Parse(text.str());
}

bool WriteFileAtomically(const std::string& path, const std::string& text) {
    const std::string temporary = path + ".new";
    const int descriptor =
        ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (descriptor < 0) return false;
    const bool written =
        ::write(descriptor, text.data(), text.size()) == static_cast<ssize_t>(text.size()) &&
        ::fsync(descriptor) == 0;
    ::close(descriptor);
    return written && std::rename(temporary.c_str(), path.c_str()) == 0;
}

}  // namespace

std::string RegistryPath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    const std::string folder = config != nullptr && *config != '\0'
                                   ? std::string(config)
                                   : std::string(home != nullptr ? home : "/tmp") + "/.config";
    return folder + "/netpull/registry";
}

std::string Serialize(const Keys& keys) {
    std::string text = "Netpull registry 1\n";
    for (const auto& [key, values] : keys) {
        text += "\n[" + key + "]\n";
        for (const auto& [name, value] : values) {
            text += (name.empty() ? std::string("@") : Quote(name)) + "=";
            if (const auto* number = std::get_if<std::uint32_t>(&value)) {
                char hex[16];
                std::snprintf(hex, sizeof hex, "dword:%08x", *number);
                text += hex;
            } else {
                text += Quote(std::get<std::string>(value));
            }
            text += "\n";
        }
    }
    return text;
}

std::optional<Keys> Parse(const std::string& text) {
    Keys keys;
    std::istringstream lines(text);
    std::string line;
    if (!std::getline(lines, line) || line != "Netpull registry 1")
        return text.empty() ? std::optional(keys) : std::nullopt;
    std::map<std::string, Value>* current = nullptr;
    while (std::getline(lines, line)) {
        if (line.empty()) continue;
        if (line.front() == '[' && line.back() == ']') {
            current = &keys[line.substr(1, line.size() - 2)];
            continue;
        }
        if (current == nullptr) return std::nullopt;
        std::size_t at = 0;
        std::string name;
        if (line.starts_with("@=")) {
            at = 1;
        } else {
            auto quoted = Unquote(line, at);
            if (!quoted) return std::nullopt;
            name = *quoted;
        }
        if (at >= line.size() || line[at] != '=') return std::nullopt;
        const auto value = ParseValue(line.substr(at + 1));
        if (!value) return std::nullopt;
        (*current)[name] = *value;
    }
    return keys;
}

std::optional<Keys> Read() {
    const std::string path = RegistryPath();
    FileLock lock(path + ".lock");
    return ReadFile(path);
}

bool Change(const std::function<void(Keys&)>& change) {
    const std::string path = RegistryPath();
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    FileLock lock(path + ".lock");
    if (!lock.Held()) return false;
    std::optional<Keys> keys = ReadFile(path);
    if (!keys) return false;  // a file we cannot understand is left as it is
    change(*keys);
    return WriteFileAtomically(path, Serialize(*keys));
}

void DeleteTree(Keys& keys, const std::string& key) {
    keys.erase(key);
    const std::string below = key + "\\";
    for (auto it = keys.lower_bound(below); it != keys.end() && it->first.starts_with(below);)
        it = keys.erase(it);
}

}  // namespace netpull::registry
