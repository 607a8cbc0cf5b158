// String resources and window texts as std::wstring.
#pragma once

#include <windows.h>

#include <string>

// The module whose resources the program uses: the running executable.
HINSTANCE ResourceModule();

// The string resource `id`, empty when there is none.
std::wstring LoadStringResource(UINT id);

std::wstring GetWindowTextString(HWND window);
