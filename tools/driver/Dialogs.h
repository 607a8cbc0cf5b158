// Dialogs and message boxes ("#32770" windows) of another program: finding
// them, reading them and answering them.
#pragma once

#include "Wait.h"

#include <windows.h>

#include <string>

namespace driver {

// The static control that holds a message box's text.
inline constexpr int kMessageBoxTextId = 0xFFFF;

// Which dialog to look for. Empty texts and a zero process id match any.
struct DialogQuery {
    DWORD processId = 0;
    std::wstring title;       // the whole caption, compared exactly
    std::wstring containing;  // a piece of the text of one of its controls
};

// The first visible dialog that matches, waiting up to `timeout`; null if none.
HWND FindDialog(const DialogQuery& query, milliseconds timeout);

// The text of a message box (without its caption).
std::wstring MessageBoxText(HWND box);

// Presses the button `buttonId` (IDOK, IDCANCEL, IDYES, IDNO, IDRETRY, ...) by
// posting its BN_CLICKED, then waits until the box is closed or hidden.
// False when it is still showing after `timeout`.
bool Answer(HWND box, int buttonId, milliseconds timeout = milliseconds(5000));

}  // namespace driver
