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

#include <set>

namespace fs = std::filesystem;

namespace {

constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvane";
constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kProductKey[] = L"Software\\Quenmoor\\Corvane";
constexpr std::string_view kForeignLine = "user_pref(\"browser.startup.page\", 3);\r\n";

std::wstring Environment(const wchar_t* name)
{
    const wchar_t* value = _wgetenv(name);
    return value ? value : L"";
}

// Everything the installer touches, cleared before each row and after; the system
// proxy and the user's Firefox folder are put back as they were.
class InstallerTest : public testing::Test {
protected:
    ~InstallerTest() override { RemoveInstallation(); }

    void RemoveInstallation()
    {
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
        fs::remove(m_shortcut, ignored);
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kUninstallKey);
        ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Corvane");
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kProductKey);
    }

    void RunSilently(const wchar_t* variable)
    {
        const fs::path installer = Environment(variable);
        ASSERT_TRUE(fs::exists(installer)) << testing::PrintToString(std::wstring(variable)) << " names no file";
        ASSERT_EQ(driver::Program(installer, L"/S").WaitForExit(kStepLimit), std::optional<DWORD>(0));
    }

    // The installation as one text, the folder written as "<dir>": its files
    // (but the plink double's own call log), the customer id, the shortcut, the
    // start-up entry and the uninstall entry.
    std::wstring Installation() const
    {
        std::set<std::wstring> files;
        for (const auto& entry : fs::exists(m_folder) ? fs::directory_iterator(m_folder) : fs::directory_iterator())
            files.insert(entry.path().filename().wstring());
        files.erase(L"plink-double.log");
        std::wstring text = L"files";
        for (const std::wstring& file : files)
            text += L" " + file;
        wchar_t id[256] = {};
        ::GetPrivateProfileStringW(L"STATISTICS", L"C_ID", L"-", id, 256, (m_folder / L"Corvane.ini").c_str());
        text += std::wstring(L"; id ") + id + (fs::exists(m_shortcut) ? L"; shortcut" : L"") + L"; run " + Reg(kRunKey, L"Corvane") +
                L"; entry " + Reg(kUninstallKey, L"DisplayName") + L" " + Reg(kUninstallKey, L"InstallLocation") + L" " +
                Reg(kUninstallKey, L"UninstallString");
        for (size_t at; (at = text.find(m_folder.wstring())) != std::wstring::npos;)
            text.replace(at, m_folder.wstring().size(), L"<dir>");
        return text;
    }

    const ScopedUserSettings m_user;
    const fs::path m_folder = fs::path(Environment(L"LOCALAPPDATA")) / L"Programs" / L"Corvane";
    const fs::path m_shortcut = fs::path(Environment(L"APPDATA")) / L"Microsoft\\Windows\\Start Menu\\Programs\\Corvane.lnk";
};

// Each row installs, upgrades with the installer without a customer id, and
// uninstalls silently while Corvane runs connected: Corvane ends and the system
// and Firefox are direct. Rows: Corvane waits for an answer in a box (so the
// uninstaller's end command waits too, and the uninstaller ends it after 10 s);
// another program holds an installed file open (which stays, and with it the
// uninstall entry, to be run again).
TEST_F(InstallerTest, InstallUpgradeAndUninstallWhileConnected)
{
    const std::wstring installed = L"files Corvane.exe Corvane.ini PuTTY-LICENCE.txt Uninstall.exe plink.exe; id " +
                                   Environment(L"CORVANE_INSTALLER_CUSTOMER_ID") +
                                   L"; shortcut; run \"<dir>\\Corvane.exe\" -s; entry Corvane <dir> \"<dir>\\Uninstall.exe\"";
    const std::wstring gone = L"files; id -; run -; entry - - -";
    for (const auto& [name, boxOpen, fileHeld, left] :
         {std::tuple{"connected", false, false, gone}, {"Restore Defaults question open", true, false, gone},
          {"a file held open", false, true, L"files PuTTY-LICENCE.txt; id -; run -; entry Corvane <dir> \"<dir>\\Uninstall.exe\""}}) {
        SCOPED_TRACE(name);
        RemoveInstallation();
        for (const wchar_t* installer : {L"CORVANE_INSTALLER", L"CORVANE_INSTALLER_WITHOUT_ID"}) {
            RunSilently(installer);
            EXPECT_EQ(Installation(), installed) << "the upgrade keeps the customer id";
        }
        EXPECT_NE(ReadBytes(m_folder / L"PuTTY-LICENCE.txt").find("PuTTY is copyright"), std::string::npos);
        WriteBytes(m_user.UserJs(), kForeignLine);
        // The plink double in place of PuTTY's plink: a user name starting "stay"
        // logs in at once and keeps a SOCKS listener up, no SSH server needed.
        fs::copy_file(driver::ExecutableDirectory() / L"plink.exe", m_folder / L"plink.exe", fs::copy_options::overwrite_existing);
        driver::Program corvane(m_folder / L"Corvane.exe");
        const HWND main = WaitForMainWindow(corvane);
        ASSERT_TRUE(ConnectAs(main, L"stay-installer", L"pass1"));
        ASSERT_EQ(SystemProxy(), L"1 socks=localhost:1234");
        Write(std::wstring(kProductKey) + L"\\Corvane", L"Remember", 1);  // a setting of the user's
        if (boxOpen) {
            driver::SendCommand(main, 32788);  // the tray's "Restore System Defaults..."
            ASSERT_TRUE(driver::FindDialog({corvane.Id(), L"Corvane", L"restore the system defaults"}, kStepLimit));
        }
        const driver::UniqueHandle held(fileHeld ? ::CreateFileW((m_folder / L"PuTTY-LICENCE.txt").c_str(), GENERIC_READ, 0,
                                                                 nullptr, OPEN_EXISTING, 0, nullptr) : nullptr);
        // The uninstaller copies itself to the temporary folder and runs from
        // there; its last step removes Corvane's settings.
        driver::Program uninstall(m_folder / L"Uninstall.exe", L"/S");
        ASSERT_TRUE(driver::WaitUntil([] { return !KeyExists(kProductKey); }, kStepLimit));
        EXPECT_EQ(corvane.WaitForExit(std::chrono::milliseconds(0)), std::optional<DWORD>(boxOpen ? 1 : 0));
        EXPECT_TRUE(ProcessesNamed(L"plink.exe").empty());
        EXPECT_EQ(SystemProxy().substr(0, 2), L"0 ");
        // The user had no proxy lines of their own: Firefox's defaults come back.
        EXPECT_EQ(ReadBytes(m_user.UserJs()), std::string(kForeignLine) + "user_pref(\"network.proxy.socks\", \"\");\r\n"
                  "user_pref(\"network.proxy.socks_port\", 0);\r\nuser_pref(\"network.proxy.type\", 5);\r\n"
                  "user_pref(\"network.proxy.socks_remote_dns\", false);\r\n");
        EXPECT_EQ(Installation(), left);
    }
}

}  // namespace
