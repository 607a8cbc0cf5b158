// Operates another program's windows from outside, the way a user would: find
// its windows, read and fill its controls, press its buttons, answer its
// message boxes, poke its tray icon and take screenshots.
//
// Including this header gives the whole driver: Program (start and end the
// program under test), Controls, ComboBoxEx, Dialogs, Tray and Screenshot.
// Operations that cannot be done throw DriverError; waits return a null window
// or false when their time-out passes.
#pragma once

#include "ComboBoxEx.h"
#include "Controls.h"
#include "Dialogs.h"
#include "Program.h"
#include "Screenshot.h"
#include "TopLevelWindows.h"
#include "Tray.h"
#include "Wait.h"
#include "Win32Error.h"
