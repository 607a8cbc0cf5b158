// The protocol around every warning the connect, disconnect, switch and exit
// flows show: ask only when the warning is switched on (and, for the browser
// warnings, a browser runs), record the check box into the main dialog and
// the settings store, and tell the flow whether to go on.
#pragma once

#include <cstdint>

class CCorvaneDlg;

enum class BrowserWarning {
    Connect,     // silenced by m_bEnableBrowserMessage / "EnableBrowserMessage"
    Disconnect,  // silenced by m_bBrowserMessage / "BrowserMessage"
    Switch,      // silenced by m_bBrowserMessage / "BrowserMessage"
};

// The warning before an action that closes the browsers of `browsers` (the
// set DetectBrowsers gave the flow). Shown only when its switch is on and the
// set is not 0. True when the flow goes on: not shown, or answered OK (the
// box is then recorded); false when the user cancelled (nothing recorded).
bool ConfirmBrowserWarning(CCorvaneDlg& dialog, BrowserWarning warning, uint32_t browsers);

// The warning before exiting. Shown only while connected with m_bExitMessage
// on; the text names the browsers running at that moment. True when the exit
// goes on (OK records the box into m_bExitMessage and "ExitMessage"), false
// when the user cancelled.
bool ConfirmExitWarning(CCorvaneDlg& dialog);

// Asks whether to leave the location of server row `currentRow` for the one
// of `newRow`. Whatever the answer the box is recorded into
// m_bEnableSwitchSrvrMessage and "EnableSwitchSrvrMessage". IDYES for Yes,
// IDNO for No or Escape. The caller decides beforehand whether to ask at all.
int AskSwitchConfirmation(CCorvaneDlg& dialog, int currentRow, int newRow);
