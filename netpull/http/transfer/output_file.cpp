// The file a download writes, through a temporary file renamed over the save path.
#include "netpull/http/transfer/output_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace netpull::http {
namespace {

// ".NAME.netpull-PID-N" in the save path's folder: hidden, and never the name of another
// download in progress, of this process or another.
std::string TemporaryName(const std::string& savePath, unsigned attempt) {
    static std::atomic<unsigned> counter{0};
    const auto slash = savePath.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : savePath.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? savePath : savePath.substr(slash + 1);
    return folder + "." + name + ".netpull-" + std::to_string(::getpid()) + "-" +
           std::to_string(counter++) + "-" + std::to_string(attempt);
}

}  // namespace

OutputFile::~OutputFile() {
    Discard();
}

std::string OutputFile::Create(const std::string& savePath) {
    Discard();
    if (savePath.empty() || savePath.back() == '/') return std::strerror(EISDIR);
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = TemporaryName(savePath, attempt);
        descriptor_ = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor_ >= 0) {
            savePath_ = savePath;
            temporaryPath_ = candidate;
            return {};
        }
        if (errno != EEXIST) break;
    }
    return std::strerror(errno);
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

std::string OutputFile::Keep() {
    if (descriptor_ < 0) return {};
    const bool closed = ::close(descriptor_) == 0;
    descriptor_ = -1;
    const int closeError = errno;
    if (!closed || std::rename(temporaryPath_.c_str(), savePath_.c_str()) != 0) {
        const std::string reason = std::strerror(closed ? errno : closeError);
        ::unlink(temporaryPath_.c_str());
        return reason;
    }
    temporaryPath_.clear();
    return {};
}

void OutputFile::Discard() {
    if (descriptor_ < 0) return;
    ::close(descriptor_);
    descriptor_ = -1;
    ::unlink(temporaryPath_.c_str());
    temporaryPath_.clear();
}

}  // namespace netpull::http
