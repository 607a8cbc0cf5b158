#include "ui/Hyperlink.h"

BOOL ConvertStaticToHyperlink(HWND)
{
    return TRUE;
}
