#include "proxy/SystemProxy.h"

bool SetSystemProxy(HWND, bool)
{
    return true;
}

void ShowSystemError(HWND, DWORD, const std::wstring&) {}
