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

}  // namespace driver
