// Plays the user of the script host's test: once the file is saved, clicks OK in the message box
// with the given title, which keeps the script's thread pumping messages while it is shown.
// Gives up after SECONDS, closing the box if it is there. Exit status 0 when the file came.
// Usage: netpull_close_when_saved TITLE FILE SECONDS
#include <windows.h>

#include <shellapi.h>

#include <cwchar>

int main() {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr || count != 4) return 2;
    const DWORD limit = static_cast<DWORD>(std::wcstoul(arguments[3], nullptr, 10)) * 1000;
    const DWORD start = GetTickCount();
    bool saved = false;
    while (GetTickCount() - start < limit) {
        saved = GetFileAttributesW(arguments[2]) != INVALID_FILE_ATTRIBUTES;
        if (saved && FindWindowW(nullptr, arguments[1]) != nullptr) break;
        Sleep(100);
    }
    if (const HWND box = FindWindowW(nullptr, arguments[1])) PostMessageW(box, WM_COMMAND, IDOK, 0);
    return saved ? 0 : 1;
}
