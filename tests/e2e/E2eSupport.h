// The real Corvane.exe, installed into a folder of the test's own under a
// name of its own (so its settings live under a registry key of their own),
// started and driven from outside; and the user's settings it changes, saved
// and put back around each test.
#pragma once

#include "../common/FileBytes.h"
#include "../common/LanOptions.h"
#include "WindowDriver.h"

#include <tlhelp32.h>

#include <cstring>
#include <filesystem>
#include <optional>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

inline constexpr const wchar_t* kMainTitle = L"Corvane v.3.00";
inline constexpr auto kStepLimit = std::chrono::milliseconds(30000);
inline constexpr int kConnect = 1016;
inline constexpr int kEndDialog = 32823;  // what the uninstaller sends
inline constexpr const wchar_t* kInternetSettings = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

// A value under HKEY_CURRENT_USER as text, a DWORD in decimal; "-" when absent.
inline std::wstring Reg(const std::wstring& key, const wchar_t* name)
{
    wchar_t value[1024] = {};
    DWORD type = 0, size = sizeof(value), number = 0;
    if (::RegGetValueW(HKEY_CURRENT_USER, key.c_str(), name, RRF_RT_REG_DWORD | RRF_RT_REG_SZ, &type, value, &size) != ERROR_SUCCESS)
        return L"-";
    std::memcpy(&number, value, sizeof(number));
    return type == REG_DWORD ? std::to_wstring(number) : value;
}

inline void Write(const std::wstring& key, const wchar_t* name, DWORD value)
{
    ::RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_DWORD, &value, sizeof(value));
}

inline bool KeyExists(const std::wstring& key)
{
    HKEY opened = nullptr;
    return ::RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &opened) == ERROR_SUCCESS && !::RegCloseKey(opened);
}

// ProxyEnable and ProxyServer of the default connection: "1 socks=localhost:1234", "0 " when direct.
inline std::wstring SystemProxy()
{
    const std::wstring server = Reg(kInternetSettings, L"ProxyServer");
    return Reg(kInternetSettings, L"ProxyEnable") + L" " + (server == L"-" ? L"" : server);
}

// Ids of the processes running `exeName`, children of `parentId` unless it is 0.
inline std::vector<DWORD> ProcessesNamed(const wchar_t* exeName, DWORD parentId = 0)
{
    std::vector<DWORD> ids;
    const driver::UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = snapshot && ::Process32FirstW(snapshot.get(), &entry); more;
         more = ::Process32NextW(snapshot.get(), &entry))
        if (::lstrcmpiW(entry.szExeFile, exeName) == 0 && (parentId == 0 || entry.th32ParentProcessID == parentId))
            ids.push_back(entry.th32ProcessID);
    return ids;
}

// The tunnel's process files ("Process{GUID}.in", ".out", ".err") in the temporary folder.
inline size_t ProcessFiles()
{
    size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::temp_directory_path()))
        count += std::regex_match(entry.path().filename().wstring(), std::wregex(LR"(Process\{.*\}\.(in|out|err))"));
    return count;
}

class CorvaneInstall {
public:
    // Copies Corvane.exe as <name>.exe and the plink double beside it.
    explicit CorvaneInstall(const std::wstring& name)
        : m_name(name), m_folder(std::filesystem::temp_directory_path() / (L"corvane-e2e-" + name))
    {
        std::filesystem::remove_all(m_folder);
        std::filesystem::create_directories(m_folder);
        std::filesystem::copy_file(driver::ExecutableDirectory() / L"Corvane.exe", m_folder / (m_name + L".exe"));
        std::filesystem::copy_file(driver::ExecutableDirectory() / L"plink.exe", m_folder / L"plink.exe");
        ::RegDeleteTreeW(HKEY_CURRENT_USER, ProductKey().c_str());
    }
    ~CorvaneInstall()
    {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, ProductKey().c_str());
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
    CorvaneInstall(const CorvaneInstall&) = delete;
    CorvaneInstall& operator=(const CorvaneInstall&) = delete;

    std::wstring ProductKey() const { return L"Software\\Quenmoor\\" + m_name; }
    std::wstring ProfileKey() const { return ProductKey() + L"\\Corvane"; }
    driver::Program Start(const std::wstring& arguments = {}) const
    {
        return driver::Program(m_folder / (m_name + L".exe"), arguments, m_folder);
    }

private:
    std::wstring m_name;
    std::filesystem::path m_folder;
};

// The user's settings that Corvane.exe changes: the LAN settings are put back
// afterwards, and the user's Firefox folder is moved aside for a profile of
// the test's own.
class ScopedUserSettings {
public:
    ScopedUserSettings()
    {
        // A backup left by a test run that died is the real folder.
        if (std::filesystem::exists(m_backup))
            std::filesystem::remove_all(m_firefox);
        else if (std::filesystem::exists(m_firefox))
            std::filesystem::rename(m_firefox, m_backup);
        std::filesystem::create_directories(UserJs().parent_path());
        WriteBytes(m_firefox / L"profiles.ini", "[Profile0]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/e2e.default\r\n");
    }
    ~ScopedUserSettings()
    {
        SetLan(m_lan.value_or(LanOptions{}));
        std::error_code ignored;
        std::filesystem::remove_all(m_firefox, ignored);
        if (std::filesystem::exists(m_backup, ignored))
            std::filesystem::rename(m_backup, m_firefox, ignored);
        else
            std::filesystem::remove(m_firefox.parent_path(), ignored);  // Mozilla, only when the test made it and it is empty
    }
    ScopedUserSettings(const ScopedUserSettings&) = delete;
    ScopedUserSettings& operator=(const ScopedUserSettings&) = delete;

    std::filesystem::path UserJs() const { return m_firefox / L"Profiles" / L"e2e.default" / L"user.js"; }

private:
    const std::optional<LanOptions> m_lan = QueryLan();
    const std::filesystem::path m_firefox = std::filesystem::path(_wgetenv(L"APPDATA")) / L"Mozilla" / L"Firefox";
    const std::filesystem::path m_backup = m_firefox.parent_path() / L"Firefox.e2e-backup";
};

// The main window of a started copy (visible, unless not `visibleOnly`);
// throws when it has none, which fails the test.
inline HWND WaitForMainWindow(const driver::Program& program, bool visibleOnly = true)
{
    if (HWND main = driver::WaitForWindow(kMainTitle, kStepLimit, visibleOnly, program.Id()))
        return main;
    throw std::runtime_error("no main window appeared");
}

// Types the credentials and, when `press`, presses Connect; true once Connect
// is enabled, or once it reads "Disconnect" after the press.
inline bool ConnectAs(HWND main, const std::wstring& user, const std::wstring& password, bool press = true)
{
    driver::SetEditText(main, 1003, user);
    driver::SetEditText(main, 1004, password);
    const bool enabled = driver::WaitUntil([&] { return driver::IsEnabled(driver::Control(main, kConnect)); }, kStepLimit);
    if (!enabled || !press)
        return enabled;
    driver::Click(main, kConnect);
    return driver::WaitUntil([&] { return driver::GetText(main, kConnect) == L"Disconnect"; }, kStepLimit);
}
