// The file a download writes, over the Win32 file API: a temporary file, created with the
// UTF-8 save path turned into UTF-16, that MoveFileExW puts in the save path's place.
#include <windows.h>

#include <limits>

#include "netpull/http/transfer/output_file.h"
#include "temporary_name.h"
#include "wide_text.h"

namespace netpull::http {
namespace {

// The system's English text for an error number, without its final line break.
std::string Reason(DWORD error) {
    char text[512] = {};
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                       MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), text, sizeof text, nullptr);
    std::string reason(text, length);
    while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r')) reason.pop_back();
    return reason.empty() ? "Windows error " + std::to_string(error) : reason;
}

HANDLE Handle(std::intptr_t file) {
    return reinterpret_cast<HANDLE>(file);
}

bool ProcessIsGone(unsigned long processId) {
    const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(processId));
    if (process == nullptr) return GetLastError() == ERROR_INVALID_PARAMETER;
    const bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}

// Temporary files that an ended process left beside the save path (a killed process, a
// power loss).
void RemoveLeftovers(const std::string& savePath) {
    const std::string folder = FolderOf(savePath);
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(Wide(folder + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = Narrow(found.cFileName);
        const std::optional<unsigned long> owner = TemporaryOwner(savePath, name);
        if (owner && ProcessIsGone(*owner)) DeleteFileW(Wide(folder + name).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

}  // namespace

std::string OutputFile::CheckSavePath(const std::string& savePath) {
    const DWORD attributes = GetFileAttributesW(Wide(savePath).c_str());
    if (NamesAFolder(savePath) ||
        (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)))
        return Reason(ERROR_DIRECTORY);
    return {};
}

OutputFile::~OutputFile() {
    Discard();
}

std::string OutputFile::Create(const std::string& savePath) {
    Discard();
    if (std::string reason = CheckSavePath(savePath); !reason.empty()) return reason;
    // Windows refuses to replace a read-only file, but only once the body is in (and Wine
    // replaces it): refused before anything is written, the same everywhere.
    const DWORD existing = GetFileAttributesW(Wide(savePath).c_str());
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY))
        return Reason(ERROR_ACCESS_DENIED);
    RemoveLeftovers(savePath);
    DWORD error = ERROR_FILE_EXISTS;
    for (unsigned attempt = 0; attempt < 100 && error == ERROR_FILE_EXISTS; ++attempt) {
        const std::string candidate = TemporaryName(savePath, GetCurrentProcessId(), attempt);
        const HANDLE file = CreateFileW(Wide(candidate).c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            file_ = reinterpret_cast<std::intptr_t>(file);
            savePath_ = savePath;
            temporaryPath_ = candidate;
            return {};
        }
        error = GetLastError();
    }
    return Reason(error);
}

std::string OutputFile::Write(std::string_view bytes) {
    while (!bytes.empty()) {
        const auto chunk = static_cast<DWORD>(
            std::min<std::size_t>(bytes.size(), std::numeric_limits<DWORD>::max() / 2));
        DWORD written = 0;
        if (!WriteFile(Handle(file_), bytes.data(), chunk, &written, nullptr))
            return Reason(GetLastError());
        bytes.remove_prefix(written);
    }
    return {};
}

std::string OutputFile::Keep() {
    if (file_ == kNoFile) return {};
    // The bytes reach the disk before the name changes: a power loss leaves the old file or
    // the new one, never an empty one.
    const bool flushed = FlushFileBuffers(Handle(file_)) != 0;
    const DWORD flushError = GetLastError();
    const bool closed = CloseHandle(Handle(file_)) != 0 && flushed;
    file_ = kNoFile;
    const DWORD closeError = flushed ? GetLastError() : flushError;
    const std::wstring temporary = Wide(temporaryPath_);
    if (!closed ||
        !MoveFileExW(temporary.c_str(), Wide(savePath_).c_str(), MOVEFILE_REPLACE_EXISTING)) {
        const std::string reason = Reason(closed ? GetLastError() : closeError);
        DeleteFileW(temporary.c_str());
        return reason;
    }
    temporaryPath_.clear();
    return {};
}

void OutputFile::Discard() {
    if (file_ == kNoFile) return;
    CloseHandle(Handle(file_));
    file_ = kNoFile;
    DeleteFileW(Wide(temporaryPath_).c_str());
    temporaryPath_.clear();
}

}  // namespace netpull::http
