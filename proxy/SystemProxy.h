// The system proxy of the default connection: the tunnel's SOCKS end or direct.
#pragma once

#include <windows.h>

#include <string>

// Points the default connection at "socks=localhost:1234" (enable) or back to
// a direct connection. On failure it has shown the failure message, owned by
// `owner` (none before the main window exists), and returns false.
bool SetSystemProxy(HWND owner, bool enable);

// One message box: `message`, "\n\r", then the system's text for `error`.
void ShowSystemError(HWND owner, DWORD error, const std::wstring& message);
