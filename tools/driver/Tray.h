// The notification-area icon of another program, reached through the hidden
// window that receives the icon's callback messages.
#pragma once

#include <windows.h>

#include <string>

namespace driver {

inline constexpr wchar_t kTrayWindowClass[] = L"CorvaneTrayWnd";

// The program's hidden tray window (a top-level window of that class), or null.
HWND FindTrayWindow(DWORD processId, const std::wstring& className = kTrayWindowClass);

}  // namespace driver
