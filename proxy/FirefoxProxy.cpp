#include "proxy/FirefoxProxy.h"

#include "framework/TextFormat.h"
#include "proxy/UserJsFile.h"

#include <windows.h>

#include <shlobj.h>

#include <algorithm>

void SetFirefoxProxy(bool enable)
{
    wchar_t appDataFolder[MAX_PATH] = {};
    // Without the folder there is no profile to change.
    if (!::SHGetSpecialFolderPathW(nullptr, appDataFolder, CSIDL_APPDATA, FALSE))
        return;
    SetFirefoxProxyIn(appDataFolder, enable);
}

void SetFirefoxProxyIn(const std::wstring& appDataFolder, bool enable)
{
    // Only the first profile is changed, and its path is always taken as
    // relative to the Firefox folder: an absolute one names no folder there,
    // so its user.js cannot be opened and nothing changes.
    const std::wstring profilesIni = FormatText(L"%s\\Mozilla\\Firefox\\profiles.ini", {appDataFolder});
    wchar_t pathValue[MAX_PATH] = {};
    ::GetPrivateProfileStringW(L"Profile0", L"Path", L"", pathValue, MAX_PATH, profilesIni.c_str());
    std::wstring profilePath = pathValue;
    if (profilePath.empty())
        return;
    std::replace(profilePath.begin(), profilePath.end(), L'/', L'\\');

    RewriteUserJsFile(FormatText(L"%s\\Mozilla\\Firefox\\%s\\user.js", {appDataFolder, profilePath}),
                      FormatText(L"%s\\Mozilla\\Firefox\\%s\\user.tmp", {appDataFolder, profilePath}), enable);
}
