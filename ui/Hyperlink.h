// Turns a static control into a link: blue, underlined while hovered, a hand
// cursor, and its click reported to the parent as WM_COMMAND STN_CLICKED.
#pragma once

#include <windows.h>

BOOL ConvertStaticToHyperlink(HWND staticControl);
