#include "proxy/SystemProxy.h"

#include "framework/Seams.h"
#include "framework/Strings.h"
#include "framework/TextFormat.h"
#include "proxy/SystemErrorText.h"
#include "res/resource.h"

#include <wininet.h>

namespace {
// The tunnel's SOCKS end; the tunnel process listens on the same port.
constexpr wchar_t kTunnelProxyServer[] = L"socks=localhost:1234";
}  // namespace

bool SetSystemProxy(HWND owner, bool enable)
{
    // Both options, always in this order, for the default (LAN) connection.
    // The flags are one bit either way, so automatic detection and
    // configuration scripts end up off in both directions.
    std::wstring server = enable ? kTunnelProxyServer : L"";
    INTERNET_PER_CONN_OPTIONW options[2] = {};
    options[0].dwOption = INTERNET_PER_CONN_PROXY_SERVER;
    options[0].Value.pszValue = server.data();
    options[1].dwOption = INTERNET_PER_CONN_FLAGS;
    options[1].Value.dwValue = enable ? PROXY_TYPE_PROXY : PROXY_TYPE_DIRECT;

    INTERNET_PER_CONN_OPTION_LISTW list = {};
    list.dwSize = sizeof(list);
    list.pszConnection = nullptr;
    list.dwOptionCount = 2;
    list.dwOptionError = 0;
    list.pOptions = options;

    if (::InternetSetOptionW(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, sizeof(list)))
        return true;
    // Taken before the string is loaded, which may overwrite it.
    const DWORD error = ::GetLastError();
    ShowSystemError(owner, error, LoadStringResource(IDS_ADMIN_REQUIRED));
    return false;
}

void ShowSystemError(HWND owner, DWORD error, const std::wstring& message)
{
    const std::wstring text = FormatText(L"%s\n\r%s", {message, SystemErrorText(error)});
    ShowMessageBox(owner, text, LoadStringResource(IDS_APP_NAME), MB_OK | MB_ICONINFORMATION);
}
