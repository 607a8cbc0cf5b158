#include "Tray.h"

#include "TopLevelWindows.h"

namespace driver {

HWND FindTrayWindow(DWORD processId, const std::wstring& className)
{
    return FindTopLevelWindow(WindowQuery{{}, className, processId, false});
}

}  // namespace driver
