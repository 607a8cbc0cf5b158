#include "Tray.h"

#include "TopLevelWindows.h"
#include "Win32Error.h"

namespace driver {

HWND FindTrayWindow(DWORD processId, const std::wstring& className)
{
    return FindTopLevelWindow(WindowQuery{{}, className, processId, false});
}

void SendTrayCallback(DWORD processId, UINT mouseMessage, const std::wstring& className)
{
    HWND tray = FindTrayWindow(processId, className);
    if (!tray)
        throw DriverError("process " + std::to_string(processId) + " has no window of class " + ToUtf8(className));
    if (!PostMessageW(tray, kTrayCallbackMessage, kTrayIconId, static_cast<LPARAM>(mouseMessage)))
        ThrowLastError("tray callback");
}

HWND WaitForPopupMenu(DWORD processId, milliseconds timeout)
{
    return WaitForWindow(WindowQuery{{}, kPopupMenuClass, processId, true}, timeout);
}

namespace {

void PostKey(HWND menu, WPARAM key)
{
    if (!PostMessageW(menu, WM_KEYDOWN, key, 0))
        ThrowLastError("key to the popup menu");
}

}  // namespace

void ChoosePopupMenuItem(HWND menu, int position)
{
    if (position < 0)
        throw DriverError("negative menu position " + std::to_string(position));
    for (int step = 0; step <= position; ++step)
        PostKey(menu, VK_DOWN);
    PostKey(menu, VK_RETURN);
}

}  // namespace driver
