// The Firefox switch on real files: the profiles.ini lookup, user.js rewritten
// through user.tmp, and every set-up in which nothing may change. The rewrite's
// text rules and the journal's values are tested natively.
#include "TestSupport.h"

#include "proxy/FirefoxProxy.h"

#include <gtest/gtest.h>

#include <map>

namespace fs = std::filesystem;

namespace {

const std::string kOnLines = "user_pref(\"network.proxy.socks\", \"localhost\");\r\nuser_pref(\"network.proxy.socks_port\", 1234);"
                             "\r\nuser_pref(\"network.proxy.type\", 1);\r\nuser_pref(\"network.proxy.socks_remote_dns\", true);\r\n";
constexpr std::string_view kIni = "[General]\r\nStartWithLastProfile=1\r\n\r\n"
                                  "[Profile0]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/abc.default\r\n";
constexpr std::string_view kOwn = "user_pref(\"network.proxy.type\", 1);\r\n";

// The profile folder Profiles/abc.default under a Firefox folder with that profiles.ini (none: without one).
fs::path Profile(const TempFolder& appData, std::optional<std::string> ini)
{
    const fs::path firefox = appData.Path() / L"Mozilla" / L"Firefox";
    fs::create_directories(firefox / L"Profiles" / L"abc.default");
    if (ini)
        WriteBytes(firefox / L"profiles.ini", *ini);
    return firefox / L"Profiles" / L"abc.default";
}

// Every file (with its bytes) and folder under a root, to show that nothing changed.
std::map<fs::path, std::string> Snapshot(const fs::path& root)
{
    std::map<fs::path, std::string> entries;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root))
        entries[fs::relative(entry.path(), root)] = entry.is_directory() ? "<folder>" : ReadBytes(entry.path());
    return entries;
}

enum class Extra { None, StaleUserTmp, UserTmpFolder, LockedUserJs };

TEST(FirefoxProxyTest, TheLinesReachTheProfileThroughUserTmpOrNothingChanges)
{
    // ini none: no profiles.ini, <root>: the application data folder; rewritten false: neither switch may change any file.
    struct Row { const char* name; std::optional<std::string_view> ini; std::optional<std::string_view> userJs;
        Extra extra; bool rewritten; };
    const Row rows[] = {
        {"ForwardSlashesInThePath", kIni, "user_pref(\"browser.startup.page\", 3);\r\n", Extra::None, true},
        {"MissingUserJsIsCreated", kIni, std::nullopt, Extra::None, true},
        {"StaleUserTmpIsReplaced", kIni, "x\n", Extra::StaleUserTmp, true},
        {"NoProfilesIni", std::nullopt, kOwn, Extra::None, false},
        {"NoProfile0", "[Profile1]\r\nPath=Profiles/abc.default\r\n", kOwn, Extra::None, false},
        {"NoPathKey", "[Profile0]\r\nName=default\r\n", kOwn, Extra::None, false},
        {"EmptyPath", "[Profile0]\r\nPath=\r\n", kOwn, Extra::None, false},
        {"MissingProfileFolder", "[Profile0]\r\nPath=Profiles/gone.default\r\n", kOwn, Extra::None, false},
        // Joined to the Firefox folder, where there is no such profile.
        {"AbsolutePath", "[Profile0]\r\nIsRelative=0\r\nPath=<root>\\Mozilla\\Firefox\\Profiles\\abc.default\r\n", kOwn,
         Extra::None, false},
        {"UserTmpCannotBeMade", kIni, kOwn, Extra::UserTmpFolder, false},
        {"UserTmpCannotBeMadeNoUserJs", kIni, std::nullopt, Extra::UserTmpFolder, false},
        {"UserJsHeldByAnotherProgram", kIni, kOwn, Extra::LockedUserJs, false},
    };
    ScopedTestProfile profile;  // the journal's key
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempFolder appData;
        std::optional<std::string> ini(row.ini);
        if (const size_t root = ini.value_or("").find("<root>"); root != std::string::npos)
            ini->replace(root, 6, appData.Path().string());
        const fs::path folder = Profile(appData, ini);
        if (row.userJs)
            WriteBytes(folder / L"user.js", *row.userJs);
        if (row.extra == Extra::StaleUserTmp)
            WriteBytes(folder / L"user.tmp", "left over by a run that died");
        if (row.extra == Extra::UserTmpFolder)
            fs::create_directory(folder / L"user.tmp");
        const auto before = Snapshot(appData.Path());
        UniqueHandle held(row.extra != Extra::LockedUserJs ? nullptr : ::CreateFileW((folder / L"user.js").c_str(),
                                                                                   GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        SetFirefoxProxyIn(appData.WinPath(), true);
        if (row.rewritten) {
            EXPECT_EQ(ReadBytes(folder / L"user.js"), std::string(row.userJs.value_or("")) + kOnLines);
            EXPECT_FALSE(fs::exists(folder / L"user.tmp"));
            continue;
        }
        SetFirefoxProxyIn(appData.WinPath(), false);
        held.Reset();
        EXPECT_EQ(Snapshot(appData.Path()), before);
    }
}

// Connect then disconnect: the journal keeps the values Firefox used, read from
// the profile's user.js and prefs.js, and switching off writes them back.
TEST(FirefoxProxyTest, SwitchingOffWritesTheUsersOwnValues)
{
    ScopedTestProfile profile;
    TempFolder appData;
    const fs::path folder = Profile(appData, std::string(kIni));
    WriteBytes(folder / L"user.js", "user_pref(\"network.proxy.socks\", \"s.example\");\n");
    WriteBytes(folder / L"prefs.js", "user_pref(\"network.proxy.type\", 2);\n");
    ASSERT_TRUE(RecordFirefoxPriorIn(appData.WinPath()));
    SetFirefoxProxyIn(appData.WinPath(), true);
    SetFirefoxProxyIn(appData.WinPath(), false);
    const std::string restored = "user_pref(\"network.proxy.socks\", \"s.example\");\r\nuser_pref(\"network.proxy.socks_port\", 0);"
                                 "\r\nuser_pref(\"network.proxy.type\", 2);\r\nuser_pref(\"network.proxy.socks_remote_dns\", false);\r\n";
    EXPECT_EQ(ReadBytes(folder / L"user.js"), restored);
    EXPECT_EQ(ReadBytes(folder / L"prefs.js"), "user_pref(\"network.proxy.type\", 2);\n") << "Firefox's, never written";
    SetFirefoxProxyIn(appData.WinPath(), false);  // without a journal, values that are the user's own stay
    EXPECT_EQ(ReadBytes(folder / L"user.js"), restored);
}

}  // namespace
