// Firefox's proxy preferences in the user.js of its first profile.
#pragma once

#include <string>

// Switching on points Firefox at the tunnel. Switching off writes the user's
// own previous values from the journal (RestoredPrefLines); without a
// journal it rewrites user.js only when it points at the tunnel and leaves
// any other user.js byte for byte. Never reports anything.
void SetFirefoxProxy(bool enable);

// The same for the Firefox folder under `appDataFolder` ("<appDataFolder>\Mozilla\Firefox"),
// which SetFirefoxProxy takes from the user's roaming application-data folder.
void SetFirefoxProxyIn(const std::wstring& appDataFolder, bool enable);

// Records in the journal what Firefox uses now (from user.js, else prefs.js),
// unless the journal already holds it; true also when there is no first
// profile (nothing to record).
bool RecordFirefoxPrior();
bool RecordFirefoxPriorIn(const std::wstring& appDataFolder);

// Whether the first profile's user.js points Firefox at the tunnel.
bool FirefoxPointsAtTunnel();
