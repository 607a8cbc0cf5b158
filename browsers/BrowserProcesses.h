// Running Internet Explorer and Firefox processes: found and terminated.
#pragma once

#include <cstdint>

// The browser set (BROWSER_IE | BROWSER_FIREFOX) of the running processes; 0
// when none runs or the process list cannot be read.
uint32_t DetectBrowsers();

// Terminates every Internet Explorer and Firefox process it can open.
void CloseBrowsers();
