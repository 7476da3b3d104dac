// The name of a download's temporary file: ".NAME.netpull-PID-N-K" in the save path's folder,
// hidden on Linux, and never the name of another download in progress, of this process or
// another.
#pragma once

#include <string>

namespace netpull::http {

std::string TemporaryName(const std::string& savePath, unsigned long processId, unsigned attempt);

// Whether a save path names a folder rather than a file.
bool NamesAFolder(const std::string& savePath);

}  // namespace netpull::http
