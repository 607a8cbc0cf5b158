// The notification-area icon of another program, reached through the hidden
// window that receives the icon's callback messages.
#pragma once

#include "Wait.h"

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

// The popup menu that a program shows (TrackPopupMenu): a visible top-level
// window of this class in the program's process while the menu is open. Its
// items cannot be read from outside under Wine (menus live in their process),
// so they are chosen by position, the way the keyboard does.
inline constexpr wchar_t kPopupMenuClass[] = L"#32768";

// The program's open popup menu (the innermost when a submenu is open), or null
// if none opened within `timeout`.
HWND WaitForPopupMenu(DWORD processId, milliseconds timeout);

// Chooses the item at `position` by posting Down `position + 1` times, then
// Enter. Positions count the items that the keyboard stops at: separators do
// not count. On a submenu item, Enter opens the submenu.
void ChoosePopupMenuItem(HWND menu, int position);


}  // namespace driver
