// The per-user installer round trip under Wine: a silent install puts the
// files, the shortcut and the registry values in place and Corvane starts from
// the installed folder; a silent uninstall while Corvane runs connected ends
// it (also when it waits in a box), leaves the system proxy and Firefox
// direct and removes everything, its settings included, or keeps its entry
// while files remain.
// packaging/test-installer.sh builds the installer and runs this program with
// CORVANE_INSTALLER (its path) and CORVANE_INSTALLER_CUSTOMER_ID set.
#include "WindowDriver.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <vector>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr auto kStepLimit = 30000ms;
constexpr wchar_t kMainTitle[] = L"Corvane v.3.00";
constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvane";
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kInternetSettings[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr wchar_t kProductProfile[] = L"Software\\Quenmoor\\Corvane";

constexpr std::string_view kForeignLine = "user_pref(\"browser.startup.page\", 3);\r\n";
// The user had no proxy lines of their own: Firefox's defaults come back.
constexpr std::string_view kOffLines =
    "user_pref(\"network.proxy.socks\", \"\");\r\n"
    "user_pref(\"network.proxy.socks_port\", 0);\r\n"
    "user_pref(\"network.proxy.type\", 5);\r\n"
    "user_pref(\"network.proxy.socks_remote_dns\", false);\r\n";

std::wstring Environment(const wchar_t* name)
{
    const wchar_t* value = _wgetenv(name);
    return value ? value : L"";
}

fs::path KnownFolder(int csidl)
{
    wchar_t path[MAX_PATH] = {};
    ::SHGetSpecialFolderPathW(nullptr, path, csidl, TRUE);
    return path;
}

std::optional<std::wstring> ReadString(const wchar_t* key, const wchar_t* name)
{
    wchar_t value[1024] = {};
    DWORD size = sizeof(value);
    if (::RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(value);
}

std::optional<DWORD> ReadDword(const wchar_t* key, const wchar_t* name)
{
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (::RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

bool KeyExists(const wchar_t* key)
{
    HKEY opened = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(opened);
    return true;
}

std::string ReadBytes(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

void WriteBytes(const fs::path& path, std::string_view bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Whether a process runs from exactly this file.
bool RunsFrom(const fs::path& exe)
{
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return false;
    bool found = false;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more && !found; more = ::Process32NextW(snapshot, &entry)) {
        HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
        if (!process)
            continue;
        wchar_t image[MAX_PATH] = {};
        DWORD size = MAX_PATH;
        found = ::QueryFullProcessImageNameW(process, 0, image, &size) &&
                ::lstrcmpiW(image, exe.wstring().c_str()) == 0;
        ::CloseHandle(process);
    }
    ::CloseHandle(snapshot);
    return found;
}

// Everything the installer touches, cleared before and after each test; the
// system proxy and the user's Firefox folder are put back as they were.
class InstallerTest : public testing::Test {
protected:
    InstallerTest()
        : m_installer(Environment(L"CORVANE_INSTALLER")),
          m_customerId(Environment(L"CORVANE_INSTALLER_CUSTOMER_ID")),
          m_folder(KnownFolder(CSIDL_LOCAL_APPDATA) / L"Programs" / L"Corvane"),
          m_shortcut(KnownFolder(CSIDL_PROGRAMS) / L"Corvane.lnk"),
          m_firefox(KnownFolder(CSIDL_APPDATA) / L"Mozilla" / L"Firefox"),
          m_firefoxBackup(KnownFolder(CSIDL_APPDATA) / L"Mozilla" / L"Firefox.installer-backup"),
          m_proxyEnable(ReadDword(kInternetSettings, L"ProxyEnable")),
          m_proxyServer(ReadString(kInternetSettings, L"ProxyServer"))
    {
        RemoveInstallation();
        if (fs::exists(m_firefoxBackup))
            fs::remove_all(m_firefox);
        else if (fs::exists(m_firefox))
            fs::rename(m_firefox, m_firefoxBackup);
        fs::create_directories(m_firefox / L"Profiles" / L"inst.default");
        WriteBytes(m_firefox / L"profiles.ini", "[Profile0]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/inst.default\r\n");
        WriteBytes(UserJs(), kForeignLine);
    }

    ~InstallerTest() override
    {
        RemoveInstallation();
        std::error_code ignored;
        fs::remove_all(m_firefox, ignored);
        if (fs::exists(m_firefoxBackup, ignored))
            fs::rename(m_firefoxBackup, m_firefox, ignored);
        const DWORD enable = m_proxyEnable.value_or(0);
        ::RegSetKeyValueW(HKEY_CURRENT_USER, kInternetSettings, L"ProxyEnable", REG_DWORD, &enable, sizeof(enable));
        const std::wstring server = m_proxyServer.value_or(L"");
        ::RegSetKeyValueW(HKEY_CURRENT_USER, kInternetSettings, L"ProxyServer", REG_SZ, server.c_str(),
                          static_cast<DWORD>((server.size() + 1) * sizeof(wchar_t)));
    }

    void SetUp() override { ASSERT_TRUE(fs::exists(m_installer)) << "CORVANE_INSTALLER names no file"; }

    void RemoveInstallation()
    {
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
        fs::remove(m_shortcut, ignored);
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kUninstallKey);
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Corvane");
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kProductProfile);
    }

    void InstallSilently()
    {
        driver::Program setup(m_installer, L"/S");
        ASSERT_EQ(setup.WaitForExit(kStepLimit), std::optional<DWORD>(0));
    }

    fs::path Installed(const wchar_t* name) const { return m_folder / name; }
    fs::path UserJs() const { return m_firefox / L"Profiles" / L"inst.default" / L"user.js"; }

    fs::path m_installer;
    std::wstring m_customerId;
    fs::path m_folder;
    fs::path m_shortcut;

private:
    fs::path m_firefox;
    fs::path m_firefoxBackup;
    std::optional<DWORD> m_proxyEnable;
    std::optional<std::wstring> m_proxyServer;
};

TEST_F(InstallerTest, SilentInstallPutsEverythingInPlaceAndCorvaneStartsFromThere)
{
    InstallSilently();

    for (const wchar_t* name : {L"Corvane.exe", L"plink.exe", L"PuTTY-LICENCE.txt", L"Uninstall.exe"})
        EXPECT_TRUE(fs::is_regular_file(Installed(name))) << fs::path(name);
    EXPECT_NE(ReadBytes(Installed(L"PuTTY-LICENCE.txt")).find("PuTTY is copyright"), std::string::npos);
    wchar_t customerId[256] = {};
    ::GetPrivateProfileStringW(L"STATISTICS", L"C_ID", L"<none>", customerId, 256,
                               Installed(L"Corvane.ini").wstring().c_str());
    EXPECT_EQ(std::wstring(customerId), m_customerId);
    EXPECT_TRUE(fs::is_regular_file(m_shortcut));

    const std::wstring exe = Installed(L"Corvane.exe").wstring();
    EXPECT_EQ(ReadString(kRunKey, L"Corvane"), L"\"" + exe + L"\" -s");
    EXPECT_EQ(ReadString(kUninstallKey, L"DisplayName"), L"Corvane");
    EXPECT_EQ(ReadString(kUninstallKey, L"InstallLocation"), m_folder.wstring());
    EXPECT_EQ(ReadString(kUninstallKey, L"UninstallString"), L"\"" + Installed(L"Uninstall.exe").wstring() + L"\"");

    driver::Program corvane(exe);
    const HWND main = driver::WaitForWindow(kMainTitle, kStepLimit, true, corvane.Id());
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(RunsFrom(exe));
    driver::SendCommand(main, 32823);
    EXPECT_EQ(corvane.WaitForExit(kStepLimit), std::optional<DWORD>(0));
}

TEST_F(InstallerTest, AnUpgradeWithoutACustomerIdKeepsTheInstalledOne)
{
    InstallSilently();
    const fs::path withoutId = Environment(L"CORVANE_INSTALLER_WITHOUT_ID");
    ASSERT_TRUE(fs::exists(withoutId)) << "CORVANE_INSTALLER_WITHOUT_ID names no file";
    driver::Program upgrade(withoutId, L"/S");
    ASSERT_EQ(upgrade.WaitForExit(kStepLimit), std::optional<DWORD>(0));
    wchar_t customerId[256] = {};
    ::GetPrivateProfileStringW(L"STATISTICS", L"C_ID", L"<none>", customerId, 256,
                               Installed(L"Corvane.ini").wstring().c_str());
    EXPECT_EQ(std::wstring(customerId), m_customerId);
    EXPECT_FALSE(m_customerId.empty());
}

// How Corvane and its folder are found when the uninstaller runs.
struct UninstallCase {
    const char* name;
    bool boxOpen;   // Corvane waits for an answer, so command 32823 waits too
    bool fileHeld;  // another program holds an installed file open
};

void PrintTo(const UninstallCase& c, std::ostream* out)
{
    *out << c.name;
}

class UninstallTest : public InstallerTest, public testing::WithParamInterface<UninstallCase> {};

TEST_P(UninstallTest, SilentUninstallWhileConnectedEndsCorvaneAndLeavesTheSystemDirect)
{
    const UninstallCase& c = GetParam();
    InstallSilently();
    // The plink double in place of PuTTY's plink: a user name starting "stay"
    // logs in at once and keeps a SOCKS listener up, no SSH server needed.
    fs::copy_file(driver::ExecutableDirectory() / L"plink.exe", Installed(L"plink.exe"),
                  fs::copy_options::overwrite_existing);

    driver::Program corvane(Installed(L"Corvane.exe"));
    const HWND main = driver::WaitForWindow(kMainTitle, kStepLimit, true, corvane.Id());
    ASSERT_NE(main, nullptr);
    driver::SetEditText(main, 1003, L"stay-installer");
    driver::SetEditText(main, 1004, L"pass1");
    driver::Click(main, 1016);
    ASSERT_TRUE(driver::WaitUntil([&] { return driver::GetText(main, 1016) == L"Disconnect"; }, kStepLimit));
    ASSERT_EQ(ReadDword(kInternetSettings, L"ProxyEnable"), std::optional<DWORD>(1));
    ASSERT_TRUE(RunsFrom(Installed(L"plink.exe")));
    const std::wstring remembered = L"remembered";
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kProductProfile, L"Password", REG_SZ, remembered.c_str(),
                      static_cast<DWORD>((remembered.size() + 1) * sizeof(wchar_t)));
    if (c.boxOpen) {
        ::PostMessageW(main, WM_COMMAND, 32788, 0);  // the tray's "Restore System Defaults..."
        ASSERT_TRUE(driver::FindDialog({corvane.Id(), L"Corvane", L"restore the system defaults"}, kStepLimit));
    }
    driver::UniqueHandle held;
    if (c.fileHeld)
        held = driver::UniqueHandle(::CreateFileW(Installed(L"PuTTY-LICENCE.txt").wstring().c_str(), GENERIC_READ, 0,
                                                  nullptr, OPEN_EXISTING, 0, nullptr));

    // The uninstaller copies itself to the temporary folder and runs from
    // there; its last step removes Corvane's settings.
    driver::Program uninstall(Installed(L"Uninstall.exe"), L"/S");
    ASSERT_TRUE(driver::WaitUntil([] { return !KeyExists(kProductProfile); }, kStepLimit));

    // Ended by command 32823, or after 10 s without an answer by the uninstaller.
    EXPECT_EQ(corvane.WaitForExit(0ms), std::optional<DWORD>(c.boxOpen ? 1 : 0));
    EXPECT_FALSE(RunsFrom(Installed(L"plink.exe")));
    EXPECT_EQ(ReadDword(kInternetSettings, L"ProxyEnable"), std::optional<DWORD>(0));
    EXPECT_EQ(ReadBytes(UserJs()), std::string(kForeignLine) + std::string(kOffLines));
    // The uninstaller removes only what it installed; the double's own call
    // log (plink-double.log) keeps the folder.
    std::vector<std::wstring> left;
    if (fs::exists(m_folder))
        for (const auto& entry : fs::directory_iterator(m_folder))
            if (entry.path().filename() != L"plink-double.log")
                left.push_back(entry.path().filename().wstring());
    EXPECT_EQ(left, c.fileHeld ? std::vector<std::wstring>{L"PuTTY-LICENCE.txt"} : std::vector<std::wstring>{});
    EXPECT_EQ(KeyExists(kUninstallKey), c.fileHeld) << "kept while files remain, to be run again";
    EXPECT_FALSE(fs::exists(m_shortcut));
    EXPECT_EQ(ReadString(kRunKey, L"Corvane"), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(Cases, UninstallTest,
                         testing::Values(UninstallCase{"Connected", false, false},
                                         UninstallCase{"ConnectedWithABoxOpen", true, false},
                                         UninstallCase{"AFileHeldOpen", false, true}),
                         [](const testing::TestParamInfo<UninstallCase>& info) { return info.param.name; });

}  // namespace
