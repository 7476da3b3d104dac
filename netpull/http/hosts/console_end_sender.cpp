// console-end-sender EVENT NETPULL_GET URL FILE: runs netpull-get.exe URL FILE and, once its
// temporary file beside FILE holds bytes, hands its message loop the console event EVENT
// (ctrl-c, ctrl-break or close) as its console handler does; exits with netpull-get's status.
// Wine delivers no console events, so this stands in for the console where tests run.
#include <cstdio>
#include <cwchar>
#include <optional>
#include <string>

#include "console_end_message.h"

#include <shellapi.h>

namespace {

// Generous: a busy machine may start the download late, but it must start and end.
constexpr DWORD kBoundMs = 60000;
constexpr DWORD kPollMs = 100;
constexpr DWORD kWrittenBytes = 1024;

constexpr int kFailed = 3;

// Reports a step that failed; its result stands for no status.
std::nullopt_t Failed(const char* what) {
    std::fprintf(stderr, "console-end-sender: %s (error %lu)\n", what, GetLastError());
    return std::nullopt;
}

// An argument in double quotes, as CommandLineToArgvW reads it back.
std::wstring Quoted(const wchar_t* argument) {
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t* c = argument; *c != L'\0'; ++c) {
        if (*c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(*c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += *c;
    }
    quoted.append(2 * backslashes, L'\\');
    return quoted + L"\"";
}

// Whether a temporary file of the download, ".NAME.netpull-*" beside FILE, holds some bytes.
bool TemporaryFileWritten(const std::wstring& file) {
    const std::size_t slash = file.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? L"" : file.substr(0, slash + 1);
    const std::wstring name = file.substr(slash == std::wstring::npos ? 0 : slash + 1);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"." + name + L".netpull-*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    bool written = false;
    do {
        written = written || found.nFileSizeHigh != 0 || found.nFileSizeLow >= kWrittenBytes;
    } while (!written && FindNextFileW(search, &found));
    FindClose(search);
    return written;
}

// Waits for the download to write, hands it the event and waits for its end: its status, or
// nothing when any step fails.
std::optional<DWORD> EndedByConsoleEvent(const PROCESS_INFORMATION& process, DWORD event,
                                         const std::wstring& file) {
    for (DWORD waited = 0; !TemporaryFileWritten(file); waited += kPollMs) {
        if (WaitForSingleObject(process.hProcess, kPollMs) == WAIT_OBJECT_0 || waited >= kBoundMs)
            return Failed("the download never began writing");
    }
    if (!PostThreadMessageW(process.dwThreadId, kConsoleEndedMessage, event, 0))
        return Failed("the message did not reach netpull-get");
    DWORD status = 0;
    if (WaitForSingleObject(process.hProcess, kBoundMs) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(process.hProcess, &status))
        return Failed("netpull-get did not end");
    return status;
}

std::optional<DWORD> EventNamed(const wchar_t* name) {
    if (std::wcscmp(name, L"ctrl-c") == 0) return CTRL_C_EVENT;
    if (std::wcscmp(name, L"ctrl-break") == 0) return CTRL_BREAK_EVENT;
    if (std::wcscmp(name, L"close") == 0) return CTRL_CLOSE_EVENT;
    return std::nullopt;
}

}  // namespace

int main() {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    const std::optional<DWORD> event =
        arguments != nullptr && count == 5 ? EventNamed(arguments[1]) : std::nullopt;
    if (!event) {
        std::fprintf(stderr,
                     "usage: console-end-sender ctrl-c|ctrl-break|close NETPULL_GET URL FILE\n");
        return 2;
    }
    std::wstring command =
        Quoted(arguments[2]) + L" " + Quoted(arguments[3]) + L" " + Quoted(arguments[4]);
    const std::wstring file = arguments[4];
    LocalFree(arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &process)) {
        Failed("netpull-get did not start");
        return kFailed;
    }
    const std::optional<DWORD> status = EndedByConsoleEvent(process, *event, file);
    if (!status) TerminateProcess(process.hProcess, kFailed);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return status ? static_cast<int>(*status) : kFailed;
}
