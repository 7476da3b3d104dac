// The name of a download's temporary file: ".NAME.netpull-PID-N-K" in the save path's folder,
// hidden on Linux, and never the name of another download in progress, of this process or
// another.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace netpull::http {

std::string TemporaryName(const std::string& savePath, unsigned long processId, unsigned attempt);

// The process that made a file of that name for this save path, read from the name; nothing
// when the name is no temporary name of this save path.
std::optional<unsigned long> TemporaryOwner(const std::string& savePath, std::string_view name);

// The folder part of a save path, with its final separator; empty for a bare name.
std::string FolderOf(const std::string& savePath);

// Whether a save path names a folder rather than a file.
bool NamesAFolder(const std::string& savePath);

}  // namespace netpull::http
