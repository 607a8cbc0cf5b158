// The text that tells the user what a Win32 or WinINet error code means.
#pragma once

#include <windows.h>

#include <string>

// The system's description of `error`, its own trailing line break included.
// WinINet's codes have no system text; they are looked up in wininet.dll's
// message table. A code without any description gives "Error code N.", so
// the caller always has a line to show.
std::wstring SystemErrorText(DWORD error);
