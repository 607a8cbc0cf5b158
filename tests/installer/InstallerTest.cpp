// The per-user installer round trip under Wine: a silent install puts the
// files, the shortcut and the registry values in place; an upgrade without a
// customer id keeps the installed one; a silent uninstall while Corvane runs
// connected ends it (also when it waits in a box), leaves the system proxy
// and Firefox direct and removes everything, its settings included, or keeps
// its entry while files remain.
// packaging/test-installer.sh builds the installer and runs this program with
// CORVANE_INSTALLER, CORVANE_INSTALLER_WITHOUT_ID (their paths) and
// CORVANE_INSTALLER_CUSTOMER_ID set.
#include "../e2e/E2eSupport.h"

#include <gtest/gtest.h>
#include <shlobj.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvane";
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kProductKey[] = L"Software\\Quenmoor\\Corvane";
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

// Everything the installer touches, cleared before and after each test; the
// system proxy and the user's Firefox folder are put back as they were.
class InstallerTest : public testing::Test {
protected:
    InstallerTest() { RemoveInstallation(); }
    ~InstallerTest() override { RemoveInstallation(); }

    void SetUp() override { ASSERT_TRUE(fs::exists(m_installer)) << "CORVANE_INSTALLER names no file"; }

    void RemoveInstallation()
    {
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
        fs::remove(m_shortcut, ignored);
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kUninstallKey);
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Corvane");
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kProductKey);
    }

    void RunSilently(const fs::path& installer)
    {
        driver::Program setup(installer, L"/S");
        ASSERT_EQ(setup.WaitForExit(kStepLimit), std::optional<DWORD>(0));
    }

    fs::path Installed(const wchar_t* name) const { return m_folder / name; }
    std::wstring InstalledCustomerId() const
    {
        wchar_t id[256] = {};
        ::GetPrivateProfileStringW(L"STATISTICS", L"C_ID", L"<none>", id, 256, Installed(L"Corvane.ini").c_str());
        return id;
    }

    const ScopedUserSettings m_user;
    const fs::path m_installer = Environment(L"CORVANE_INSTALLER");
    const fs::path m_folder = KnownFolder(CSIDL_LOCAL_APPDATA) / L"Programs" / L"Corvane";
    const fs::path m_shortcut = KnownFolder(CSIDL_PROGRAMS) / L"Corvane.lnk";
};

TEST_F(InstallerTest, SilentInstallPutsEverythingInPlaceAndAnUpgradeWithoutACustomerIdKeepsIt)
{
    RunSilently(m_installer);
    for (const wchar_t* name : {L"Corvane.exe", L"plink.exe", L"PuTTY-LICENCE.txt", L"Uninstall.exe"})
        EXPECT_TRUE(fs::is_regular_file(Installed(name))) << fs::path(name);
    EXPECT_NE(ReadBytes(Installed(L"PuTTY-LICENCE.txt")).find("PuTTY is copyright"), std::string::npos);
    const std::wstring customerId = Environment(L"CORVANE_INSTALLER_CUSTOMER_ID");
    ASSERT_FALSE(customerId.empty());
    EXPECT_EQ(InstalledCustomerId(), customerId);
    EXPECT_TRUE(fs::is_regular_file(m_shortcut));
    EXPECT_EQ(ReadString(kRunKey, L"Corvane"), L"\"" + Installed(L"Corvane.exe").wstring() + L"\" -s");
    EXPECT_EQ(ReadString(kUninstallKey, L"DisplayName"), L"Corvane");
    EXPECT_EQ(ReadString(kUninstallKey, L"InstallLocation"), m_folder.wstring());
    EXPECT_EQ(ReadString(kUninstallKey, L"UninstallString"), L"\"" + Installed(L"Uninstall.exe").wstring() + L"\"");

    const fs::path withoutId = Environment(L"CORVANE_INSTALLER_WITHOUT_ID");
    ASSERT_TRUE(fs::exists(withoutId)) << "CORVANE_INSTALLER_WITHOUT_ID names no file";
    RunSilently(withoutId);
    EXPECT_EQ(InstalledCustomerId(), customerId);
}

// How Corvane and its folder are found when the uninstaller runs.
struct UninstallCase {
    const char* name;
    bool boxOpen;   // Corvane waits for an answer, so the uninstaller's end command waits too
    bool fileHeld;  // another program holds an installed file open
};

class UninstallTest : public InstallerTest, public testing::WithParamInterface<UninstallCase> {};

TEST_P(UninstallTest, SilentUninstallWhileConnectedEndsCorvaneAndLeavesTheSystemDirect)
{
    const UninstallCase& c = GetParam();
    RunSilently(m_installer);
    WriteBytes(m_user.UserJs(), kForeignLine);
    // The plink double in place of PuTTY's plink: a user name starting "stay"
    // logs in at once and keeps a SOCKS listener up, no SSH server needed.
    fs::copy_file(driver::ExecutableDirectory() / L"plink.exe", Installed(L"plink.exe"),
                  fs::copy_options::overwrite_existing);

    driver::Program corvane(Installed(L"Corvane.exe"));
    const HWND main = WaitForMainWindow(corvane);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(ConnectAs(main, L"stay-installer", L"pass1"));
    ASSERT_EQ(ReadDword(kInternetSettings, L"ProxyEnable"), std::optional<DWORD>(1));
    ASSERT_EQ(ProcessesNamed(L"plink.exe", corvane.Id()).size(), 1u);
    Write(std::wstring(kProductKey) + L"\\Corvane", L"Password", L"remembered");
    if (c.boxOpen) {
        driver::SendCommand(main, 32788);  // the tray's "Restore System Defaults..."
        ASSERT_TRUE(driver::FindDialog({corvane.Id(), L"Corvane", L"restore the system defaults"}, kStepLimit));
    }
    driver::UniqueHandle held;
    if (c.fileHeld)
        held = driver::UniqueHandle(::CreateFileW(Installed(L"PuTTY-LICENCE.txt").c_str(), GENERIC_READ, 0, nullptr,
                                                  OPEN_EXISTING, 0, nullptr));

    // The uninstaller copies itself to the temporary folder and runs from
    // there; its last step removes Corvane's settings.
    driver::Program uninstall(Installed(L"Uninstall.exe"), L"/S");
    ASSERT_TRUE(driver::WaitUntil([] { return !KeyExists(kProductKey); }, kStepLimit));

    // Ended by the end command, or after 10 s without an answer by the uninstaller.
    EXPECT_EQ(corvane.WaitForExit(0ms), std::optional<DWORD>(c.boxOpen ? 1 : 0));
    EXPECT_TRUE(ProcessesNamed(L"plink.exe").empty());
    EXPECT_EQ(ReadDword(kInternetSettings, L"ProxyEnable"), std::optional<DWORD>(0));
    EXPECT_EQ(ReadBytes(m_user.UserJs()), std::string(kForeignLine) + std::string(kOffLines));
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
                                         UninstallCase{"ConnectedWithTheRestoreDefaultsQuestionOpen", true, false},
                                         UninstallCase{"AFileHeldOpen", false, true}),
                         [](const testing::TestParamInfo<UninstallCase>& info) { return info.param.name; });

}  // namespace
