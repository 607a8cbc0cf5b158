// Top-level windows of other programs: finding them by title, class and
// process, and waiting for them to appear or to close.
#pragma once

#include "Wait.h"

#include <windows.h>

#include <string>

namespace driver {

// Which top-level window to look for. Empty texts and a zero process id match any.
struct WindowQuery {
    std::wstring title;      // the whole window title, compared exactly
    std::wstring className;  // e.g. L"#32770" for dialogs
    DWORD processId = 0;
    bool visibleOnly = true;
};

// The first top-level window (in z-order) that matches, or null.
HWND FindTopLevelWindow(const WindowQuery& query);

// Waits for a matching window; null when none appeared within `timeout`.
HWND WaitForWindow(const WindowQuery& query, milliseconds timeout);
HWND WaitForWindow(const std::wstring& title, milliseconds timeout, bool visibleOnly = true,
                   DWORD processId = 0);

// Waits until `window` is destroyed or hidden. A closed dialog can stay
// findable, hidden, for a moment after it has ended.
bool WaitUntilClosed(HWND window, milliseconds timeout);

bool IsVisible(HWND window);
bool IsEnabled(HWND window);
DWORD ProcessIdOf(HWND window);
std::wstring WindowTitle(HWND window);
std::wstring WindowClass(HWND window);

}  // namespace driver
