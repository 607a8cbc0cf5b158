#include "browsers/BrowserProcesses.h"

uint32_t DetectBrowsers()
{
    return 0;
}

void CloseBrowsers() {}
