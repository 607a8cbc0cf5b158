// The protocol around every warning the connect, disconnect, switch and exit
// flows show: ask only when the warning is switched on (and, for the browser
// warnings, a browser runs), record the check box into the main dialog and
// the settings store, and tell the flow whether to go on.
#pragma once

#include <cstdint>

// The four "show this warning" switches of the main dialog; each is kept in
// the settings store under the name beside it.
struct WarningSwitches {
    bool exitMessage = true;              // "ExitMessage"
    bool browserMessage = true;           // "BrowserMessage": before disconnect and switch
    bool enableSwitchSrvrMessage = true;  // "EnableSwitchSrvrMessage"
    bool enableBrowserMessage = true;     // "EnableBrowserMessage": before connect
};

enum class BrowserWarning {
    Connect,     // silenced by enableBrowserMessage
    Disconnect,  // silenced by browserMessage
    Switch,      // silenced by browserMessage
};

// The warning before an action that closes the browsers of `browsers` (the
// set DetectBrowsers gave the flow); its text depends on whether the tunnel is
// `connected`. Shown only when its switch is on and the set is not 0. True
// when the flow goes on: not shown, or answered OK (the box is then
// recorded); false when the user cancelled (nothing recorded).
bool ConfirmBrowserWarning(WarningSwitches& switches, BrowserWarning warning, bool connected, uint32_t browsers);

// The warning before exiting. Shown only while `connected` with exitMessage
// on; the text names the browsers running at that moment. True when the exit
// goes on (OK records the box into exitMessage and "ExitMessage"), false
// when the user cancelled.
bool ConfirmExitWarning(WarningSwitches& switches, bool connected);

// Asks whether to leave the location of server row `currentRow` for the one
// of `newRow`. Whatever the answer the box is recorded into
// enableSwitchSrvrMessage and "EnableSwitchSrvrMessage". IDYES for Yes,
// IDNO for No or Escape. The caller decides beforehand whether to ask at all.
int AskSwitchConfirmation(WarningSwitches& switches, int currentRow, int newRow);
