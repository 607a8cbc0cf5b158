// Corvane.exe from outside: " -r" puts the system proxy and Firefox back and
// ends without a window; a system proxy that cannot be switched at start-up
// shows the failure box, and then neither the main window nor the Firefox
// switch follows.
#include "../win/InternetSettingsDenial.h"
#include "WindowDriver.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <fstream>
#include <optional>

namespace fs = std::filesystem;
using driver::milliseconds;

namespace {

constexpr milliseconds kRunLimit{20000};
constexpr wchar_t kMainWindowTitle[] = L"Corvane v.3.00";

constexpr std::string_view kForeignLine = "user_pref(\"browser.startup.page\", 3);\r\n";
constexpr std::string_view kOnLines =
    "user_pref(\"network.proxy.socks\", \"localhost\");\r\n"
    "user_pref(\"network.proxy.socks_port\", 1234);\r\n"
    "user_pref(\"network.proxy.type\", 1);\r\n";
constexpr std::string_view kOffLines =
    "user_pref(\"network.proxy.socks\", \"\");\r\n"
    "user_pref(\"network.proxy.socks_port\", 0);\r\n"
    "user_pref(\"network.proxy.type\", 0);\r\n";

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

// The user's real Firefox folder, which Corvane.exe rewrites: whatever the
// prefix held there is moved aside for the test and put back afterwards.
class ScopedRoamingFirefox {
public:
    ScopedRoamingFirefox()
    {
        wchar_t appData[MAX_PATH] = {};
        ::SHGetSpecialFolderPathW(nullptr, appData, CSIDL_APPDATA, TRUE);
        m_folder = fs::path(appData) / L"Mozilla" / L"Firefox";
        m_backup = fs::path(appData) / L"Mozilla" / L"Firefox.e2e-backup";
        // A backup left by a test run that died is the real folder.
        if (fs::exists(m_backup))
            fs::remove_all(m_folder);
        else if (fs::exists(m_folder))
            fs::rename(m_folder, m_backup);
        fs::create_directories(Profile());
        WriteBytes(m_folder / L"profiles.ini", "[Profile0]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/e2e.default\r\n");
    }
    ScopedRoamingFirefox(const ScopedRoamingFirefox&) = delete;
    ScopedRoamingFirefox& operator=(const ScopedRoamingFirefox&) = delete;
    ~ScopedRoamingFirefox()
    {
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
        if (fs::exists(m_backup, ignored))
            fs::rename(m_backup, m_folder, ignored);
        else
            fs::remove(m_folder.parent_path(), ignored);  // Mozilla, only when the test made it and it is empty
    }

    fs::path Profile() const { return m_folder / L"Profiles" / L"e2e.default"; }
    fs::path UserJs() const { return Profile() / L"user.js"; }

private:
    fs::path m_folder;
    fs::path m_backup;
};

// ProxyEnable and ProxyServer of the default connection, written directly as
// a run that was killed while connected leaves them; put back afterwards.
class ScopedSystemProxyValues {
public:
    ScopedSystemProxyValues() : m_enable(ReadDword(L"ProxyEnable")), m_server(ReadString(L"ProxyServer")) {}
    ScopedSystemProxyValues(const ScopedSystemProxyValues&) = delete;
    ScopedSystemProxyValues& operator=(const ScopedSystemProxyValues&) = delete;
    ~ScopedSystemProxyValues()
    {
        Write(L"ProxyEnable", m_enable.value_or(0));
        if (m_server)
            Write(L"ProxyServer", *m_server);
        else
            ::RegDeleteKeyValueW(HKEY_CURRENT_USER, InternetSettingsDenial::kKeyPath, L"ProxyServer");
    }

    static void SwitchOn()
    {
        Write(L"ProxyEnable", 1);
        Write(L"ProxyServer", L"socks=localhost:1234");
    }
    static std::optional<DWORD> ReadDword(const wchar_t* name)
    {
        DWORD value = 0;
        DWORD size = sizeof(value);
        if (::RegGetValueW(HKEY_CURRENT_USER, InternetSettingsDenial::kKeyPath, name, RRF_RT_REG_DWORD, nullptr,
                           &value, &size) != ERROR_SUCCESS)
            return std::nullopt;
        return value;
    }
    static std::optional<std::wstring> ReadString(const wchar_t* name)
    {
        wchar_t value[512] = {};
        DWORD size = sizeof(value);
        if (::RegGetValueW(HKEY_CURRENT_USER, InternetSettingsDenial::kKeyPath, name, RRF_RT_REG_SZ, nullptr, value,
                           &size) != ERROR_SUCCESS)
            return std::nullopt;
        return std::wstring(value);
    }

private:
    static void Write(const wchar_t* name, DWORD value)
    {
        ::RegSetKeyValueW(HKEY_CURRENT_USER, InternetSettingsDenial::kKeyPath, name, REG_DWORD, &value, sizeof(value));
    }
    static void Write(const wchar_t* name, const std::wstring& value)
    {
        ::RegSetKeyValueW(HKEY_CURRENT_USER, InternetSettingsDenial::kKeyPath, name, REG_SZ, value.c_str(),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }

    std::optional<DWORD> m_enable;
    std::optional<std::wstring> m_server;
};

fs::path CorvaneExe()
{
    return driver::ExecutableDirectory() / L"Corvane.exe";
}

class RestoreOnlyTest : public testing::Test {
protected:
    void SetUp() override
    {
        ScopedSystemProxyValues::SwitchOn();
        WriteBytes(m_firefox.UserJs(), std::string(kForeignLine) + std::string(kOnLines));
    }

    ScopedSystemProxyValues m_systemProxy;
    ScopedRoamingFirefox m_firefox;
};

TEST_F(RestoreOnlyTest, RestoreSwitchPutsBothBackAndEndsWithoutAWindow)
{
    driver::Program corvane(CorvaneExe(), L"-r");
    bool sawWindow = false;
    ASSERT_TRUE(driver::WaitUntil(
        [&] {
            if (driver::FindTopLevelWindow({.title = L"", .className = L"", .processId = corvane.Id(), .visibleOnly = true}))
                sawWindow = true;
            return !corvane.IsRunning();
        },
        kRunLimit));

    EXPECT_EQ(corvane.WaitForExit(milliseconds(0)), std::optional<DWORD>(0));
    EXPECT_FALSE(sawWindow);
    EXPECT_EQ(ScopedSystemProxyValues::ReadDword(L"ProxyEnable"), std::optional<DWORD>(0));
    EXPECT_EQ(ScopedSystemProxyValues::ReadString(L"ProxyServer").value_or(L""), L"");
    EXPECT_EQ(ReadBytes(m_firefox.UserJs()), std::string(kForeignLine) + std::string(kOffLines));
}

TEST_F(RestoreOnlyTest, DeniedSystemProxyShowsTheFailureBoxAndNothingElse)
{
    InternetSettingsDenial denial;
    ASSERT_TRUE(denial.Active());
    driver::Program corvane(CorvaneExe());

    const HWND box = driver::FindDialog(
        {.processId = corvane.Id(), .title = L"Corvane", .containing = L"Administrator privileges"}, kRunLimit);
    ASSERT_TRUE(box);
    EXPECT_TRUE(driver::MessageBoxText(box).starts_with(
        L"Corvane must be executed with Administrator privileges.\n\r"))
        << testing::PrintToString(driver::MessageBoxText(box));
    EXPECT_FALSE(driver::FindTopLevelWindow({.title = kMainWindowTitle, .className = L"", .processId = corvane.Id(), .visibleOnly = true}));

    ASSERT_TRUE(driver::Answer(box, IDOK));
    bool sawMainWindow = false;
    EXPECT_TRUE(driver::WaitUntil(
        [&] {
            if (driver::FindTopLevelWindow({.title = kMainWindowTitle, .className = L"", .processId = corvane.Id(), .visibleOnly = true}))
                sawMainWindow = true;
            return !corvane.IsRunning();
        },
        kRunLimit));
    EXPECT_FALSE(sawMainWindow);
    // The Firefox switch-back comes only after a successful system switch.
    EXPECT_EQ(ReadBytes(m_firefox.UserJs()), std::string(kForeignLine) + std::string(kOnLines));
}

}  // namespace
