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

}  // namespace

OutputFile::~OutputFile() {
    Discard();
}

std::string OutputFile::Create(const std::string& savePath) {
    Discard();
    if (NamesAFolder(savePath)) return Reason(ERROR_DIRECTORY);
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
    const bool closed = CloseHandle(Handle(file_)) != 0;
    file_ = kNoFile;
    const DWORD closeError = GetLastError();
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
