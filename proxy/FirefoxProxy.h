// Firefox's proxy preferences in the user.js of its first profile.
#pragma once

#include <string>

// Points Firefox at the tunnel (enable) or at no proxy. Never reports anything.
void SetFirefoxProxy(bool enable);

// The same for the Firefox folder under `appDataFolder` ("<appDataFolder>\Mozilla\Firefox"),
// which SetFirefoxProxy takes from the user's roaming application-data folder.
void SetFirefoxProxyIn(const std::wstring& appDataFolder, bool enable);
