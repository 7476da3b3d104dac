// The file a download writes.
#include "netpull/http/output_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace netpull::http {

OutputFile::~OutputFile() { Close(); }

std::string OutputFile::Create(const std::string& path) {
    Close();
    descriptor_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    return descriptor_ >= 0 ? std::string() : std::strerror(errno);
}

std::string OutputFile::Write(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(descriptor_, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::strerror(errno);
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return {};
}

void OutputFile::Close() {
    if (descriptor_ >= 0) ::close(descriptor_);
    descriptor_ = -1;
}

}  // namespace netpull::http
