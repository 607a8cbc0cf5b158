// The notification-area icon of another program, reached through the hidden
// window that receives the icon's callback messages.
#pragma once

#include <windows.h>

#include <string>

namespace driver {

inline constexpr wchar_t kTrayWindowClass[] = L"CorvaneTrayWnd";
inline constexpr UINT kTrayCallbackMessage = WM_USER + 1;
inline constexpr WPARAM kTrayIconId = 1;

// The program's hidden tray window (a top-level window of that class), or null.
HWND FindTrayWindow(DWORD processId, const std::wstring& className = kTrayWindowClass);

// Posts what the shell sends when the mouse acts on the icon: kTrayCallbackMessage
// with the icon id and `mouseMessage` (WM_RBUTTONUP, WM_LBUTTONDBLCLK, ...).
// Throws DriverError when the program has no tray window.
void SendTrayCallback(DWORD processId, UINT mouseMessage, const std::wstring& className = kTrayWindowClass);

}  // namespace driver
