// The texts of the warnings in front of every action that closes the browsers
// or drops the hidden address, and of the switch-server confirmation.
#pragma once

#include <cstdint>
#include <string>

// "Activating", "Deactivating" (connected) or "Switching servers" (wins over
// both), then the running browsers of the set.
std::wstring ComposeBrowserWarning(bool connected, uint32_t browsers, bool switching);

// The exit warning; without a running browser the short text, which starts
// with a line feed.
std::wstring ComposeExitWarning(uint32_t browsers);

// The confirmation with the display names of the two server rows; a row
// outside the catalogue gives an empty name.
std::wstring SwitchServerQuestion(int fromRow, int toRow);
