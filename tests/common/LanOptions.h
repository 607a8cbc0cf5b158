// The LAN settings' per-connection options as WinINet gives and takes them,
// for the tests of putting back the user's own proxy settings.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <optional>
#include <ostream>
#include <string>

struct LanOptions {
    DWORD flags = PROXY_TYPE_DIRECT;
    std::wstring server;
    std::wstring bypass;
    std::wstring autoConfigUrl;

    bool operator==(const LanOptions&) const = default;
};

void PrintTo(const LanOptions& o, std::ostream* os);

std::optional<LanOptions> QueryLan();

// Sets the user's own LAN settings, as the Internet Options dialog would.
bool SetLan(LanOptions values);
