#include "proxy/SystemProxy.h"

#include "framework/Handles.h"
#include "framework/Seams.h"
#include "framework/Strings.h"
#include "framework/TextFormat.h"
#include "proxy/ProxyJournal.h"
#include "framework/SystemErrorText.h"
#include "res/resource.h"

#include <ras.h>
#include <raserror.h>
#include <wininet.h>

#include <algorithm>
#include <optional>

namespace {

INTERNET_PER_CONN_OPTION_LISTW OptionList(const std::wstring& connection, INTERNET_PER_CONN_OPTIONW* options,
                                         DWORD count)
{
    INTERNET_PER_CONN_OPTION_LISTW list = {};
    list.dwSize = sizeof(list);
    // NULL names the LAN settings.
    list.pszConnection = connection.empty() ? nullptr : const_cast<wchar_t*>(connection.c_str());
    list.dwOptionCount = count;
    list.dwOptionError = 0;
    list.pOptions = options;
    return list;
}

// Takes a string WinINet allocated for a query.
std::wstring TakeString(wchar_t* value)
{
    if (!value)
        return {};
    std::wstring text = value;
    ::GlobalFree(value);
    return text;
}

std::optional<ConnectionOptions> QueryConnection(const std::wstring& connection)
{
    INTERNET_PER_CONN_OPTIONW options[5] = {};
    options[0].dwOption = INTERNET_PER_CONN_FLAGS;
    options[1].dwOption = INTERNET_PER_CONN_PROXY_SERVER;
    options[2].dwOption = INTERNET_PER_CONN_PROXY_BYPASS;
    options[3].dwOption = INTERNET_PER_CONN_AUTOCONFIG_URL;
    options[4].dwOption = INTERNET_PER_CONN_AUTODISCOVERY_FLAGS;
    INTERNET_PER_CONN_OPTION_LISTW list = OptionList(connection, options, 5);
    DWORD size = sizeof(list);
    if (!::InternetQueryOptionW(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, &size))
        return std::nullopt;
    ConnectionOptions result;
    result.connection = connection;
    result.flags = options[0].Value.dwValue;
    result.proxyServer = TakeString(options[1].Value.pszValue);
    result.proxyBypass = TakeString(options[2].Value.pszValue);
    result.autoConfigUrl = TakeString(options[3].Value.pszValue);
    result.autoDiscoveryFlags = options[4].Value.dwValue;
    return result;
}

// The phone-book entries of dial-up and VPN connections; none when RAS has
// none or cannot list them.
std::vector<std::wstring> RasEntryNames()
{
    using EntryName = RASENTRYNAMEW;  // a macro naming the struct
    std::vector<EntryName> entries(1);
    entries[0].dwSize = sizeof(EntryName);
    DWORD bytes = sizeof(EntryName);
    DWORD count = 0;
    DWORD status = ::RasEnumEntriesW(nullptr, nullptr, entries.data(), &bytes, &count);
    if (status == ERROR_BUFFER_TOO_SMALL) {
        entries.assign(bytes / sizeof(EntryName) + 1, EntryName{});
        entries[0].dwSize = sizeof(EntryName);
        bytes = static_cast<DWORD>(entries.size() * sizeof(EntryName));
        status = ::RasEnumEntriesW(nullptr, nullptr, entries.data(), &bytes, &count);
    }
    std::vector<std::wstring> names;
    if (status != ERROR_SUCCESS)
        return names;
    for (DWORD i = 0; i < count && i < entries.size(); ++i) {
        if (entries[i].szEntryName[0] != L'\0')
            names.emplace_back(entries[i].szEntryName);
    }
    return names;
}

// The server first, then the flags: the order the switch has always used.
bool PointAtTunnel(const std::wstring& connection)
{
    std::wstring server(kTunnelProxyServer);
    INTERNET_PER_CONN_OPTIONW options[2] = {};
    options[0].dwOption = INTERNET_PER_CONN_PROXY_SERVER;
    options[0].Value.pszValue = server.data();
    options[1].dwOption = INTERNET_PER_CONN_FLAGS;
    options[1].Value.dwValue = PROXY_TYPE_PROXY;
    INTERNET_PER_CONN_OPTION_LISTW list = OptionList(connection, options, 2);
    return ::InternetSetOptionW(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, sizeof(list));
}

// The flags and server always, in the switch's order; the other three only
// where they change, so that nothing else is rewritten.
bool WriteConnection(ConnectionOptions values, const ConnectionOptions& current)
{
    INTERNET_PER_CONN_OPTIONW options[5] = {};
    DWORD count = 0;
    options[count].dwOption = INTERNET_PER_CONN_PROXY_SERVER;
    options[count++].Value.pszValue = values.proxyServer.data();
    options[count].dwOption = INTERNET_PER_CONN_FLAGS;
    options[count++].Value.dwValue = values.flags;
    if (values.proxyBypass != current.proxyBypass) {
        options[count].dwOption = INTERNET_PER_CONN_PROXY_BYPASS;
        options[count++].Value.pszValue = values.proxyBypass.data();
    }
    if (values.autoConfigUrl != current.autoConfigUrl) {
        options[count].dwOption = INTERNET_PER_CONN_AUTOCONFIG_URL;
        options[count++].Value.pszValue = values.autoConfigUrl.data();
    }
    if (values.autoDiscoveryFlags != current.autoDiscoveryFlags) {
        options[count].dwOption = INTERNET_PER_CONN_AUTODISCOVERY_FLAGS;
        options[count++].Value.dwValue = values.autoDiscoveryFlags;
    }
    INTERNET_PER_CONN_OPTION_LISTW list = OptionList(values.connection, options, count);
    return ::InternetSetOptionW(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, sizeof(list));
}

// The new settings are on disk before the next step, and programs that keep
// running (browsers, any WinINet client) read them again. REFRESH is a
// notification only: its result does not matter (Wine always fails it).
void SettingsChanged()
{
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", 0,
                        KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
        const UniqueRegKey settings(key);
        ::RegFlushKey(settings.Get());
    }
    ::InternetSetOptionW(nullptr, INTERNET_OPTION_SETTINGS_CHANGED, nullptr, 0);
    ::InternetSetOptionW(nullptr, INTERNET_OPTION_REFRESH, nullptr, 0);
}

// Puts back what is the tunnel's; the error of the first failed write, 0 when all went through.
DWORD PutBack()
{
    const std::vector<ConnectionOptions> current = QueryConnections();
    if (current.empty()) {
        const DWORD error = ::GetLastError();
        return error != ERROR_SUCCESS ? error : static_cast<DWORD>(ERROR_ACCESS_DENIED);
    }
    const std::optional<std::wstring> text = ReadJournalPart(JournalPart::System);
    const std::optional<std::vector<ConnectionOptions>> journal = text ? ParseConnections(*text) : std::nullopt;
    const std::vector<ConnectionOptions> writes = ConnectionsToRestore(journal ? &*journal : nullptr, current);
    for (const ConnectionOptions& write : writes) {
        const auto now = std::find_if(current.begin(), current.end(),
                                      [&write](const ConnectionOptions& c) { return c.connection == write.connection; });
        if (!WriteConnection(write, *now))
            return ::GetLastError();
    }
    if (!writes.empty())
        SettingsChanged();
    // A journal that cannot be read is no use to a later attempt either.
    if (text)
        RemoveJournalPart(JournalPart::System);
    return ERROR_SUCCESS;
}

}  // namespace

std::vector<ConnectionOptions> QueryConnections()
{
    std::vector<ConnectionOptions> connections;
    std::optional<ConnectionOptions> lan = QueryConnection(L"");
    if (!lan)
        return connections;
    connections.push_back(std::move(*lan));
    for (const std::wstring& name : RasEntryNames()) {
        if (std::optional<ConnectionOptions> entry = QueryConnection(name))
            connections.push_back(std::move(*entry));
    }
    return connections;
}

bool SetSystemProxy(HWND owner, bool enable)
{
    DWORD error = ERROR_SUCCESS;
    if (enable) {
        std::vector<std::wstring> connections = RasEntryNames();
        connections.insert(connections.begin(), L"");
        for (const std::wstring& connection : connections) {
            if (!PointAtTunnel(connection)) {
                error = ::GetLastError();
                break;
            }
        }
        if (error == ERROR_SUCCESS)
            SettingsChanged();
    } else {
        error = PutBack();
    }
    if (error == ERROR_SUCCESS)
        return true;
    ShowSystemError(owner, error, LoadStringResource(IDS_ADMIN_REQUIRED));
    return false;
}

bool PutBackSystemProxy()
{
    return PutBack() == ERROR_SUCCESS;
}

void ShowSystemError(HWND owner, DWORD error, const std::wstring& message)
{
    const std::wstring text = FormatText(L"%s\n\r%s", {message, SystemErrorText(error)});
    ShowMessageBox(owner, text, LoadStringResource(IDS_APP_NAME), MB_OK | MB_ICONINFORMATION);
}
