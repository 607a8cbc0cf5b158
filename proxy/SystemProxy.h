// The system proxy: every connection's per-connection options pointed at the
// tunnel's SOCKS end, and put back to what the user had.
#pragma once

#include "proxy/ConnectionRestore.h"

#include <windows.h>

#include <string>
#include <vector>

// Switching on points the LAN settings and every dial-up/VPN entry at
// "socks=localhost:1234" (RecordProxyJournal has recorded them first).
// Switching off puts back what the journal recorded, only where the tunnel's
// values are still in place; without a journal it sets direct only the
// connections that point at the tunnel and leaves every other one as it is.
// Either way running programs are told that the settings changed. On failure
// it has shown the failure message, owned by `owner` (none before the main
// window exists), and returns false.
bool SetSystemProxy(HWND owner, bool enable);

// The same switch-off without any message; false when a write failed.
bool PutBackSystemProxy();

// The LAN settings (first, empty name) and every dial-up/VPN entry as WinINet
// reports them; empty when not even the LAN settings can be read.
std::vector<ConnectionOptions> QueryConnections();

// One message box: `message`, "\n\r", then the system's text for `error`.
void ShowSystemError(HWND owner, DWORD error, const std::wstring& message);
