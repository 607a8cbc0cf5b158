// The LAN settings' per-connection options as WinINet gives and takes them,
// for the tests of putting back the user's own proxy settings.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

struct LanOptions {
    DWORD flags = PROXY_TYPE_DIRECT;
    std::wstring server;
    std::wstring bypass;
    std::wstring autoConfigUrl;

    bool operator==(const LanOptions&) const = default;
    friend void PrintTo(const LanOptions& o, std::ostream* os)
    {
        *os << "flags " << o.flags << " server " << testing::PrintToString(o.server) << " bypass "
            << testing::PrintToString(o.bypass) << " url " << testing::PrintToString(o.autoConfigUrl);
    }
};

// The four options in one list, set from `values` or read into it.
inline bool LanOption(bool set, LanOptions& values)
{
    INTERNET_PER_CONN_OPTIONW o[4] = {{INTERNET_PER_CONN_FLAGS, {}}, {INTERNET_PER_CONN_PROXY_SERVER, {}},
                                      {INTERNET_PER_CONN_PROXY_BYPASS, {}}, {INTERNET_PER_CONN_AUTOCONFIG_URL, {}}};
    std::wstring* texts[] = {&values.server, &values.bypass, &values.autoConfigUrl};
    o[0].Value.dwValue = values.flags;
    for (int i = 0; i < 3 && set; ++i)
        o[i + 1].Value.pszValue = texts[i]->data();
    INTERNET_PER_CONN_OPTION_LISTW list{sizeof(list), nullptr, 4, 0, o};
    DWORD size = sizeof(list);
    if (set || !::InternetQueryOptionW(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, &size))
        return set && ::InternetSetOptionW(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, size);
    values.flags = o[0].Value.dwValue;
    for (int i = 0; i < 3; ++i) {
        *texts[i] = o[i + 1].Value.pszValue ? o[i + 1].Value.pszValue : L"";
        ::GlobalFree(o[i + 1].Value.pszValue);
    }
    return true;
}

inline std::optional<LanOptions> QueryLan()
{
    LanOptions values;
    return LanOption(false, values) ? std::optional(values) : std::nullopt;
}

// Sets the user's own LAN settings, as the Internet Options dialog would.
inline bool SetLan(LanOptions values)
{
    return LanOption(true, values);
}
