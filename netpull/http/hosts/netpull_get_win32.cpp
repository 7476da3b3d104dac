// netpull-get URL FILE on Windows: downloads one URL to a file with the transfer in a plain
// message loop, printing each event as it happens; exits 0 after Downloaded, 1 after an error,
// 2 when the arguments are wrong. Arguments are read as UTF-16 and passed on in UTF-8.
// Ctrl+C, Ctrl+Break and the console's close end the download cleanly, as signals do on
// Linux: the temporary file is removed, the save path left as it was, "Error 10004 cancelled
// by signal" is the last line, and the status is 130 (Ctrl+C, Ctrl+Break) or 129 (close,
// logoff, shutdown).
#include <cstdarg>
#include <cstdio>
#include <string>

#include "console_end_message.h"
#include "netpull/http/transfer/http_transfer.h"
#include "netpull/socket/windows_api.h"

#include <shellapi.h>

namespace {

std::string Utf8(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return {};
    std::string result(static_cast<std::size_t>(size - 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, result.data(), size, nullptr, nullptr);
    return result;
}

// One line per event, out at once: the C library of Windows buffers a piped stdout whole.
[[gnu::format(printf, 1, 2)]] void PrintLine(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::vprintf(format, arguments);
    va_end(arguments);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// The console's handler runs on a thread of its own: it asks the message loop to end the
// download and, for a close that ends the process when the handler returns, waits for that.
DWORD mainThread = 0;
HANDLE downloadEnded = nullptr;

BOOL WINAPI OnConsoleEnd(DWORD event) {
    PostThreadMessageA(mainThread, kConsoleEndedMessage, event, 0);
    constexpr DWORD kCloseGrace = 4000;  // Windows ends the process 5 s after a close
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        WaitForSingleObject(downloadEnded, kCloseGrace);
    return TRUE;
}

}  // namespace

int main() {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr || count != 3) {
        std::fprintf(stderr, "usage: netpull-get URL FILE\n");
        return 2;
    }
    std::string url = Utf8(arguments[1]);
    const std::string file = Utf8(arguments[2]);
    LocalFree(arguments);

    auto transfer = netpull::http::HTTPtransfer::Create();
    int status = 1;
    transfer->events.FoundServer = [] { PrintLine("FoundServer"); };
    transfer->events.Progress = [&](std::int64_t, std::int64_t) {
        PrintLine("Progress %lld %lld", static_cast<long long>(transfer->DownloadedBytes()),
                  static_cast<long long>(transfer->TotalBytes()));
    };
    transfer->events.Downloaded = [&] {
        PrintLine("Downloaded");
        status = 0;
        PostQuitMessage(0);
    };
    transfer->events.Error = [](std::int32_t number, const std::string& description) {
        PrintLine("Error %d %s", number, description.c_str());
        PostQuitMessage(1);
    };
    try {
        transfer->Download(url, file);
    } catch (const netpull::SocketError& error) {
        PrintLine("Error %d %s", error.Number(), error.Description().c_str());
        return 1;
    }
    mainThread = GetCurrentThreadId();
    downloadEnded = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(OnConsoleEnd, TRUE);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (message.hwnd == nullptr && message.message == kConsoleEndedMessage) {
            // Dropping the transfer removes its temporary file.
            transfer.reset();
            PrintLine("Error 10004 cancelled by signal");
            const bool interrupted =
                message.wParam == CTRL_C_EVENT || message.wParam == CTRL_BREAK_EVENT;
            status = interrupted ? 130 : 129;
            break;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    SetEvent(downloadEnded);
    return status;
}
