#include "proxy/FirefoxProxy.h"

#include "framework/Handles.h"
#include "framework/TextFormat.h"
#include "proxy/FirefoxPrefs.h"
#include "proxy/ProxyJournal.h"
#include "proxy/UserJsFile.h"

#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <optional>
#include <string>

namespace {

struct ProfileFiles {
    std::wstring userJs;
    std::wstring userTmp;
    std::wstring prefsJs;
};

std::wstring AppDataFolder()
{
    wchar_t folder[MAX_PATH] = {};
    // Without the folder there is no profile to change.
    if (!::SHGetSpecialFolderPathW(nullptr, folder, CSIDL_APPDATA, FALSE))
        return {};
    return folder;
}

// Only the first profile counts, and its path is always taken as relative to
// the Firefox folder: an absolute one names no folder there, so its user.js
// cannot be opened and nothing changes.
std::optional<ProfileFiles> FirstProfile(const std::wstring& appDataFolder)
{
    if (appDataFolder.empty())
        return std::nullopt;
    const std::wstring profilesIni = FormatText(L"%s\\Mozilla\\Firefox\\profiles.ini", {appDataFolder});
    wchar_t pathValue[MAX_PATH] = {};
    ::GetPrivateProfileStringW(L"Profile0", L"Path", L"", pathValue, MAX_PATH, profilesIni.c_str());
    std::wstring profilePath = pathValue;
    if (profilePath.empty())
        return std::nullopt;
    std::replace(profilePath.begin(), profilePath.end(), L'/', L'\\');
    const std::wstring folder = FormatText(L"%s\\Mozilla\\Firefox\\%s", {appDataFolder, profilePath});
    return ProfileFiles{folder + L"\\user.js", folder + L"\\user.tmp", folder + L"\\prefs.js"};
}

// A preference file's bytes; empty when it is missing, nothing when it exists
// but cannot be read whole.
std::optional<std::string> ReadPreferenceFile(const std::wstring& path)
{
    UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return std::string();
        return std::nullopt;
    }
    LARGE_INTEGER size = {};
    // Far beyond any real preference file; such a file is not taken into memory.
    constexpr LONGLONG kLimit = 256LL * 1024 * 1024;
    if (!::GetFileSizeEx(file.Get(), &size) || size.QuadPart > kLimit)
        return std::nullopt;
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() &&
        (!::ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) || read != bytes.size()))
        return std::nullopt;
    return bytes;
}

void SwitchOff(const ProfileFiles& files)
{
    const std::optional<std::wstring> text = ReadJournalPart(JournalPart::Firefox);
    const std::optional<ProxyPrefValues> prior = text ? ParseProxyPrefs(*text) : std::nullopt;
    const std::optional<std::string> userJs = ReadPreferenceFile(files.userJs);
    if (!userJs)
        return;  // held or unreadable: left as it is, the journal waits for the next attempt
    const ProxyPrefValues current = ReadProxyPrefs(*userJs);
    if (prior || PointsAtTheTunnel(current)) {
        if (!RewriteUserJsFile(files.userJs, files.userTmp, RestoredPrefLines(prior ? &*prior : nullptr, current)))
            return;
    }
    // A journal that cannot be read is no use to a later attempt either.
    if (text)
        RemoveJournalPart(JournalPart::Firefox);
}

}  // namespace

void SetFirefoxProxy(bool enable)
{
    SetFirefoxProxyIn(AppDataFolder(), enable);
}

void SetFirefoxProxyIn(const std::wstring& appDataFolder, bool enable)
{
    const std::optional<ProfileFiles> files = FirstProfile(appDataFolder);
    if (!files) {
        // No profile any more: nothing is left to put back.
        if (!enable)
            RemoveJournalPart(JournalPart::Firefox);
        return;
    }
    if (enable)
        RewriteUserJsFile(files->userJs, files->userTmp, TunnelPrefLines());
    else
        SwitchOff(*files);
}

bool RecordFirefoxPrior()
{
    return RecordFirefoxPriorIn(AppDataFolder());
}

bool RecordFirefoxPriorIn(const std::wstring& appDataFolder)
{
    const std::optional<ProfileFiles> files = FirstProfile(appDataFolder);
    if (!files || ReadJournalPart(JournalPart::Firefox))
        return true;
    // An unreadable file counts as one without the preferences.
    const ProxyPrefValues prior = PriorProxyPrefs(ReadPreferenceFile(files->userJs).value_or(""),
                                                  ReadPreferenceFile(files->prefsJs).value_or(""));
    return RecordJournalPart(JournalPart::Firefox, SerializeProxyPrefs(prior));
}

bool FirefoxPointsAtTunnel()
{
    const std::optional<ProfileFiles> files = FirstProfile(AppDataFolder());
    return files && PointsAtTheTunnel(ReadProxyPrefs(ReadPreferenceFile(files->userJs).value_or("")));
}
