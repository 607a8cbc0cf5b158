// A stand-in process for tests: it does nothing until it is terminated. Tests
// copy it under browser names (firefox.exe, IEXPLORE.EXE) so that detection and
// termination act on real processes, and the test bench keeps one running so
// that Wine's desktop stays up between test programs. Any arguments are ignored.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    // A message-only window joins the process to the desktop (Wine closes a
    // desktop a second after its last such process ends) and is never listed
    // among the top-level windows.
    CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    Sleep(INFINITE);
    return 0;
}
