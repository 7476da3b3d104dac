// The registry's model (keys with a default and named values, strings and 32-bit numbers),
// kept per user in one text file under the user's configuration folder. Every change is one
// transaction: read, change, write to a new file and rename it over the old one, under a lock,
// so that a crash or a concurrent writer never leaves a damaged file.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <variant>

namespace netpull::registry {

using Value = std::variant<std::string, std::uint32_t>;
// Keys by full path ("HKEY_CLASSES_ROOT\CLSID\{...}"), each with its values by name ("" is the
// default value).
using Keys = std::map<std::string, std::map<std::string, Value>>;

// The file: $XDG_CONFIG_HOME/netpull/registry, else ~/.config/netpull/registry.
std::string RegistryPath();

// Runs a change on the whole registry as one transaction; false when the file cannot be
// read or written.
bool Change(const std::function<void(Keys&)>& change);
std::optional<Keys> Read();

// Deletes a key and every key below it.
void DeleteTree(Keys& keys, const std::string& key);

// The text form, one key a section: [key], then "name"="text" or "name"=dword:0000000a.
std::string Serialize(const Keys& keys);
std::optional<Keys> Parse(const std::string& text);

}  // namespace netpull::registry
