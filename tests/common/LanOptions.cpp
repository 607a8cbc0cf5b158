#include "LanOptions.h"

#include <gtest/gtest.h>

namespace {

std::wstring TakeWinInetString(wchar_t* value)
{
    std::wstring text = value ? value : L"";
    if (value)
        ::GlobalFree(value);
    return text;
}

}  // namespace

void PrintTo(const LanOptions& o, std::ostream* os)
{
    *os << "flags " << o.flags << " server " << testing::PrintToString(o.server) << " bypass "
        << testing::PrintToString(o.bypass) << " url " << testing::PrintToString(o.autoConfigUrl);
}

std::optional<LanOptions> QueryLan()
{
    INTERNET_PER_CONN_OPTIONW options[4] = {};
    options[0].dwOption = INTERNET_PER_CONN_FLAGS;
    options[1].dwOption = INTERNET_PER_CONN_PROXY_SERVER;
    options[2].dwOption = INTERNET_PER_CONN_PROXY_BYPASS;
    options[3].dwOption = INTERNET_PER_CONN_AUTOCONFIG_URL;
    INTERNET_PER_CONN_OPTION_LISTW list = {};
    list.dwSize = sizeof(list);
    list.dwOptionCount = 4;
    list.pOptions = options;
    DWORD size = sizeof(list);
    if (!::InternetQueryOptionW(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, &size))
        return std::nullopt;
    return LanOptions{options[0].Value.dwValue, TakeWinInetString(options[1].Value.pszValue),
                      TakeWinInetString(options[2].Value.pszValue), TakeWinInetString(options[3].Value.pszValue)};
}

bool SetLan(LanOptions values)
{
    INTERNET_PER_CONN_OPTIONW options[4] = {};
    options[0].dwOption = INTERNET_PER_CONN_FLAGS;
    options[0].Value.dwValue = values.flags;
    options[1].dwOption = INTERNET_PER_CONN_PROXY_SERVER;
    options[1].Value.pszValue = values.server.data();
    options[2].dwOption = INTERNET_PER_CONN_PROXY_BYPASS;
    options[2].Value.pszValue = values.bypass.data();
    options[3].dwOption = INTERNET_PER_CONN_AUTOCONFIG_URL;
    options[3].Value.pszValue = values.autoConfigUrl.data();
    INTERNET_PER_CONN_OPTION_LISTW list = {};
    list.dwSize = sizeof(list);
    list.dwOptionCount = 4;
    list.pOptions = options;
    return ::InternetSetOptionW(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, sizeof(list));
}
