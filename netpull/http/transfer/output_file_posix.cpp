// The file a download writes, over POSIX files: a temporary file beside the save path's final
// target, flushed to the disk and renamed over it; or, for a save path that is no regular
// file (a device, a FIFO), that file itself.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "netpull/http/transfer/output_file.h"
#include "temporary_name.h"

namespace netpull::http {
namespace {

// Symbolic links are followed to the file they finally name, which need not exist yet; a loop
// of links stops where the system would refuse it.
std::string FinalTarget(std::string path) {
    constexpr int kMostLinks = 40;
    for (int hop = 0; hop < kMostLinks; ++hop) {
        struct stat link {};
        if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return path;
        std::string target(static_cast<std::size_t>(link.st_size) + 1, '\0');
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
        if (length < 0) return path;
        target.resize(static_cast<std::size_t>(length));
        if (target.front() != '/') target = FolderOf(path) + target;
        path = std::move(target);
    }
    return path;
}

bool ProcessIsGone(unsigned long processId) {
    return ::kill(static_cast<pid_t>(processId), 0) != 0 && errno == ESRCH;
}

// Temporary files that an ended process left beside the target (a SIGKILL, a power loss).
void RemoveLeftovers(const std::string& target) {
    const std::string folder = FolderOf(target);
    DIR* entries = ::opendir(folder.empty() ? "." : folder.c_str());
    if (entries == nullptr) return;
    while (const dirent* entry = ::readdir(entries)) {
        const std::optional<unsigned long> owner = TemporaryOwner(target, entry->d_name);
        if (owner && ProcessIsGone(*owner)) ::unlink((folder + entry->d_name).c_str());
    }
    ::closedir(entries);
}

}  // namespace

OutputFile::~OutputFile() {
    Discard();
}

std::string OutputFile::CheckSavePath(const std::string& savePath) {
    struct stat target {};
    if (NamesAFolder(savePath) ||
        (::stat(savePath.c_str(), &target) == 0 && S_ISDIR(target.st_mode)))
        return std::strerror(EISDIR);
    return {};
}

std::string OutputFile::Create(const std::string& savePath) {
    Discard();
    written_ = writebackAsked_ = 0;
    if (std::string reason = CheckSavePath(savePath); !reason.empty()) return reason;
    const std::string target = FinalTarget(savePath);
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) {
        // A device or a FIFO takes the body itself: it cannot be replaced, and /dev/null must
        // stay a device. A FIFO without a reader is refused rather than waited for.
        file_ = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (file_ == kNoFile) return std::strerror(errno);
        ::fcntl(static_cast<int>(file_), F_SETFL, 0);
        savePath_ = target;
        return {};
    }
    RemoveLeftovers(target);
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate =
            TemporaryName(target, static_cast<unsigned long>(::getpid()), attempt);
        file_ = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (file_ != kNoFile) {
            savePath_ = target;
            temporaryPath_ = candidate;
            // The file replaced keeps its permissions and, where this process may, its owner.
            if (exists) {
                const int descriptor = static_cast<int>(file_);
                // Only root may give a file away; elsewhere it stays this process's.
                [[maybe_unused]] const int given =
                    ::fchown(descriptor, existing.st_uid, existing.st_gid);
                ::fchmod(descriptor, existing.st_mode & 07777);
            }
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
        written_ += n;
    }
    // Every few MiB the disk starts writing back what came, without waiting for it: the
    // flush before the rename then has little left to do. Not every file system can.
    constexpr std::int64_t kWritebackStretch = 8 * 1024 * 1024;
    if (!temporaryPath_.empty() && written_ - writebackAsked_ >= kWritebackStretch) {
        ::sync_file_range(static_cast<int>(file_), writebackAsked_, written_ - writebackAsked_,
                          SYNC_FILE_RANGE_WRITE);
        writebackAsked_ = written_;
    }
    return {};
}

// The bytes reach the disk before the name changes, so that a power loss right after leaves
// the old file or the new one, never an empty one.
std::string OutputFile::Keep() {
    if (file_ == kNoFile) return {};
    const int descriptor = static_cast<int>(file_);
    file_ = kNoFile;
    if (temporaryPath_.empty()) return ::close(descriptor) == 0 ? "" : std::strerror(errno);
    const bool flushed = ::fsync(descriptor) == 0;
    const int flushError = errno;
    const bool closed = ::close(descriptor) == 0;
    const int closeError = errno;
    int error = !flushed ? flushError : !closed ? closeError : 0;
    if (error == 0 && std::rename(temporaryPath_.c_str(), savePath_.c_str()) != 0) error = errno;
    if (error != 0) ::unlink(temporaryPath_.c_str());
    temporaryPath_.clear();
    return error == 0 ? "" : std::strerror(error);
}

void OutputFile::Discard() {
    if (file_ == kNoFile) return;
    ::close(static_cast<int>(file_));
    file_ = kNoFile;
    if (!temporaryPath_.empty()) ::unlink(temporaryPath_.c_str());
    temporaryPath_.clear();
}

}  // namespace netpull::http
