// Corvane.exe: the process entry hands over to the application object.
#include "app/CorvaneApp.h"

namespace {
CCorvaneApp theApp;
}

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    return theApp.Run();
}
