// The file a download writes, over POSIX files: a temporary file renamed over the save path.
#include "netpull/http/transfer/output_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "temporary_name.h"

namespace netpull::http {

OutputFile::~OutputFile() {
    Discard();
}

std::string OutputFile::Create(const std::string& savePath) {
    Discard();
    if (NamesAFolder(savePath)) return std::strerror(EISDIR);
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate =
            TemporaryName(savePath, static_cast<unsigned long>(::getpid()), attempt);
        file_ = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (file_ != kNoFile) {
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
        const ssize_t n = ::write(static_cast<int>(file_), bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::strerror(errno);
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return {};
}

std::string OutputFile::Keep() {
    if (file_ == kNoFile) return {};
    const bool closed = ::close(static_cast<int>(file_)) == 0;
    file_ = kNoFile;
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
    if (file_ == kNoFile) return;
    ::close(static_cast<int>(file_));
    file_ = kNoFile;
    ::unlink(temporaryPath_.c_str());
    temporaryPath_.clear();
}

}  // namespace netpull::http
