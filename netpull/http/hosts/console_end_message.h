// The thread message by which netpull-get.exe's console handler asks its message loop to end
// the download; its wParam is the console event (CTRL_C_EVENT, CTRL_CLOSE_EVENT...).
#pragma once

#include "netpull/socket/windows_api.h"

constexpr UINT kConsoleEndedMessage = WM_APP + 1;
