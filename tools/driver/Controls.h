// The controls of a dialog in another process, addressed by dialog and control id.
#pragma once

#include <windows.h>

#include <string>

namespace driver {

// The child window with `id`; throws DriverError when the dialog has none.
HWND Control(HWND dialog, int id);

// Sends a message and waits for the answer; throws DriverError when the target
// does not answer within a few seconds (hung, or blocked in a modal loop of
// another thread).
LRESULT SendOrThrow(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The text of a window or control through WM_GETTEXT, which also reads edits
// of other processes (GetWindowTextW does not).
std::wstring GetText(HWND window);
std::wstring GetText(HWND dialog, int id);

// Replaces an edit's text through WM_SETTEXT; the edit tells its dialog with EN_CHANGE.
void SetEditText(HWND dialog, int id, const std::wstring& text);

// Posts BN_CLICKED for the button to the dialog. Posted, so a click whose
// handler opens a modal box returns at once; wait for its effect afterwards.
void Click(HWND dialog, int id);

bool GetCheck(HWND dialog, int id);

// Posts WM_COMMAND with a command id (menu and accelerator form, lParam 0).
void SendCommand(HWND window, int commandId);

}  // namespace driver
