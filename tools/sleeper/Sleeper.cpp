// A stand-in process for tests: it does nothing until it is terminated. Tests
// copy it under browser names (firefox.exe, IEXPLORE.EXE) so that detection and
// termination act on real processes. Any arguments are ignored.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    Sleep(INFINITE);
    return 0;
}
