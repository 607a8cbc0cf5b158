// The real Corvane.exe, installed into a folder of the test's own under a
// name of its own (so its settings live under a registry key of their own),
// started and driven from outside; and the user's settings it changes, saved
// and put back around each test.
#pragma once

#include "WindowDriver.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

inline constexpr const wchar_t* kMainTitle = L"Corvane v.3.00";
inline constexpr auto kStepLimit = std::chrono::milliseconds(30000);
inline constexpr int kUsername = 1003;
inline constexpr int kPassword = 1004;
inline constexpr int kConnect = 1016;
inline constexpr int kEndDialog = 32823;  // what the uninstaller sends
inline constexpr const wchar_t* kInternetSettings = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

class CorvaneInstall {
public:
    // Copies Corvane.exe as <name>.exe and the plink double beside it.
    explicit CorvaneInstall(const std::wstring& name = L"CorvaneE2E");
    ~CorvaneInstall();
    CorvaneInstall(const CorvaneInstall&) = delete;
    CorvaneInstall& operator=(const CorvaneInstall&) = delete;

    const std::filesystem::path& Folder() const { return m_folder; }
    std::filesystem::path Exe() const { return m_folder / (m_name + L".exe"); }
    std::wstring ProductKey() const { return L"Software\\Quenmoor\\" + m_name; }
    std::wstring ProfileKey() const { return ProductKey() + L"\\Corvane"; }
    driver::Program Start(const std::wstring& arguments = {}) const;

private:
    std::wstring m_name;
    std::filesystem::path m_folder;
};

// Values under HKEY_CURRENT_USER; absent or of another type reads as nothing.
std::optional<DWORD> ReadDword(const std::wstring& key, const wchar_t* name);
std::optional<std::wstring> ReadString(const std::wstring& key, const wchar_t* name);
void Write(const std::wstring& key, const wchar_t* name, DWORD value);
void Write(const std::wstring& key, const wchar_t* name, const std::wstring& value);
bool KeyExists(const std::wstring& key);

std::string ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, std::string_view bytes);

// Ids of the processes running `exeName`, children of `parentId` unless it is 0.
std::vector<DWORD> ProcessesNamed(const wchar_t* exeName, DWORD parentId = 0);
// The tunnel's process files ("Process{GUID}.in", ".out", ".err") in the temporary folder.
size_t ProcessFiles();

// The user's settings that Corvane.exe changes: ProxyEnable and ProxyServer
// of the default connection are put back afterwards, and the user's Firefox
// folder is moved aside for a profile of the test's own.
class ScopedUserSettings {
public:
    ScopedUserSettings();
    ~ScopedUserSettings();
    ScopedUserSettings(const ScopedUserSettings&) = delete;
    ScopedUserSettings& operator=(const ScopedUserSettings&) = delete;

    std::filesystem::path UserJs() const { return m_firefox / L"Profiles" / L"e2e.default" / L"user.js"; }
    std::filesystem::path PrefsJs() const { return m_firefox / L"Profiles" / L"e2e.default" / L"prefs.js"; }

private:
    std::optional<DWORD> m_proxyEnable;
    std::optional<std::wstring> m_proxyServer;
    std::filesystem::path m_firefox;
    std::filesystem::path m_firefoxBackup;
};

// The main window of a started copy, visible or not.
HWND WaitForMainWindow(const driver::Program& program, bool visibleOnly = true);

// Types the credentials; true once Connect is enabled.
bool EnterCredentials(HWND main, const std::wstring& user, const std::wstring& password);
// Types the credentials and presses Connect; true once the button reads "Disconnect".
bool ConnectAs(HWND main, const std::wstring& user, const std::wstring& password);
