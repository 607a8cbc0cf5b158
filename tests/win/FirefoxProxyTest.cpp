// The Firefox switch on real files: profiles.ini lookup, user.js rewritten
// through user.tmp, and every way in which nothing may change.
#include "TestSupport.h"
#include "framework/Handles.h"
#include "proxy/FirefoxPrefs.h"
#include "proxy/FirefoxProxy.h"
#include "proxy/ProxyJournal.h"
#include "proxy/UserJsRewrite.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kOnLines =
    "user_pref(\"network.proxy.socks\", \"localhost\");\r\n"
    "user_pref(\"network.proxy.socks_port\", 1234);\r\n"
    "user_pref(\"network.proxy.type\", 1);\r\n"
    "user_pref(\"network.proxy.socks_remote_dns\", true);\r\n";
// Off without a journal: Firefox's own defaults.
constexpr std::string_view kOffLines =
    "user_pref(\"network.proxy.socks\", \"\");\r\n"
    "user_pref(\"network.proxy.socks_port\", 0);\r\n"
    "user_pref(\"network.proxy.type\", 5);\r\n"
    "user_pref(\"network.proxy.socks_remote_dns\", false);\r\n";

constexpr std::string_view kProfilesIni =
    "[General]\r\nStartWithLastProfile=1\r\n\r\n"
    "[Profile0]\r\nName=default\r\nIsRelative=1\r\nPath=Profiles/abc.default\r\nDefault=1\r\n";

// Every file (with its bytes) and folder under a root, to show that nothing changed.
std::map<fs::path, std::optional<std::string>> Snapshot(const fs::path& root)
{
    std::map<fs::path, std::optional<std::string>> entries;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
        const fs::path relative = fs::relative(entry.path(), root);
        if (entry.is_directory())
            entries[relative] = std::nullopt;
        else
            entries[relative] = ReadFileBytes(entry.path());
    }
    return entries;
}

class FirefoxProxyTest : public testing::Test {
protected:
    fs::path Firefox() const { return m_appData.Path() / L"Mozilla" / L"Firefox"; }
    fs::path Profile() const { return Firefox() / L"Profiles" / L"abc.default"; }
    fs::path UserJs() const { return Profile() / L"user.js"; }
    fs::path UserTmp() const { return Profile() / L"user.tmp"; }

    // The profile folder of kProfilesIni, with `userJs` in it unless it is absent.
    void MakeProfile(std::optional<std::string_view> userJs, std::string_view profilesIni = kProfilesIni)
    {
        fs::create_directories(Profile());
        WriteFileBytes(Firefox() / L"profiles.ini", profilesIni);
        if (userJs)
            WriteFileBytes(UserJs(), *userJs);
    }

    void Switch(bool enable) { SetFirefoxProxyIn(m_appData.WinPath(), enable); }

    const fs::path& AppData() const { return m_appData.Path(); }

private:
    ScopedTestProfile m_profile;  // the journal's key
    TempFolder m_appData;
};

TEST_F(FirefoxProxyTest, ProfilePathWithForwardSlashesReachesTheProfile)
{
    MakeProfile("user_pref(\"browser.startup.page\", 3);\r\n");
    Switch(true);
    EXPECT_EQ(ReadFileBytes(UserJs()), std::string("user_pref(\"browser.startup.page\", 3);\r\n") + std::string(kOnLines));
    EXPECT_FALSE(fs::exists(UserTmp()));
}

TEST_F(FirefoxProxyTest, MissingUserJsIsCreatedWithTheThreeLines)
{
    MakeProfile(std::nullopt);
    Switch(true);
    EXPECT_EQ(ReadFileBytes(UserJs()), kOnLines);
    EXPECT_FALSE(fs::exists(UserTmp()));
}

TEST_F(FirefoxProxyTest, OldLinesGoForeignLinesStayInOrderAndOffFollowsOn)
{
    const std::string foreign1 = "user_pref(\"a\", 1);\r\n";
    const std::string foreign2 = "user_pref(\"network.proxy.socks_version\", 5);\n";
    const std::string foreign3 = "user_pref(\"network.proxy.http\", \"h\");\r\n";
    MakeProfile(foreign1 + "user_pref(\"network.proxy.type\", 2);\r\n" + foreign2 +
                "// user_pref(\"network.proxy.socks\", \"old\");\n" + foreign3 +
                "user_pref(\"network.proxy.socks_remote_dns\", false);\n");

    Switch(true);
    EXPECT_EQ(ReadFileBytes(UserJs()), foreign1 + foreign2 + foreign3 + std::string(kOnLines));
    Switch(false);  // no journal: user.js points at the tunnel, so it goes back to the defaults
    const std::string off = ReadFileBytes(UserJs());
    EXPECT_EQ(off, foreign1 + foreign2 + foreign3 + std::string(kOffLines));
    Switch(false);
    EXPECT_EQ(ReadFileBytes(UserJs()), off);
}

TEST_F(FirefoxProxyTest, LastLineWithoutLineFeedIsKeptAndEnded)
{
    MakeProfile("user_pref(\"a\", 1);\r\nuser_pref(\"last\", 2);");
    Switch(true);
    EXPECT_EQ(ReadFileBytes(UserJs()), "user_pref(\"a\", 1);\r\nuser_pref(\"last\", 2);\r\n" + std::string(kOnLines));
}

TEST_F(FirefoxProxyTest, StaleUserTmpIsReplacedAndDoesNotRemain)
{
    MakeProfile("x\n");
    WriteFileBytes(UserTmp(), "left over by a run that died");
    Switch(true);
    EXPECT_EQ(ReadFileBytes(UserJs()), "x\n" + std::string(kOnLines));
    EXPECT_FALSE(fs::exists(UserTmp()));
}

// The buffered reader cuts the file at other places than the chunk rule does;
// the result must still be the rewrite of the whole file at once.
TEST_F(FirefoxProxyTest, LargeFileGivesTheSameBytesAsTheWholeRewrite)
{
    std::string original;
    for (int line = 0; original.size() < 3 * 1024 * 1024; ++line) {
        switch (line % 7) {
        case 0: original += "user_pref(\"network.proxy.socks_port\", " + std::to_string(line) + ");\r\n"; break;
        case 1: original += std::string(3000, static_cast<char>('a' + line % 26)) + "\n"; break;
        case 2: original += std::string(1000 + line % 50, 'p') + "user_pref(\"network.proxy.type\", 1);\n"; break;
        case 3: original += "user_pref(\"n" + std::to_string(line) + "\", " + std::to_string(line) + ");"; break;
        default: original += "user_pref(\"pref." + std::to_string(line) + "\", true);\r\n"; break;
        }
    }
    MakeProfile(original);
    Switch(true);
    EXPECT_TRUE(ReadFileBytes(UserJs()) == RewriteUserJs(original, kOnLines));
}

// Cases in which the call must leave every file as it was.
struct UnchangedCase {
    const char* name;
    std::optional<std::string_view> profilesIni;
};

class FirefoxProxyUnchangedTest : public FirefoxProxyTest, public testing::WithParamInterface<UnchangedCase> {};

TEST_P(FirefoxProxyUnchangedTest, NothingChanges)
{
    MakeProfile("user_pref(\"network.proxy.type\", 1);\r\n");
    if (GetParam().profilesIni)
        WriteFileBytes(Firefox() / L"profiles.ini", *GetParam().profilesIni);
    else
        fs::remove(Firefox() / L"profiles.ini");
    const auto before = Snapshot(AppData());
    Switch(true);
    Switch(false);
    EXPECT_EQ(Snapshot(AppData()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Profiles, FirefoxProxyUnchangedTest,
    testing::Values(UnchangedCase{"NoProfilesIni", std::nullopt},
                    UnchangedCase{"NoProfile0", "[Profile1]\r\nPath=Profiles/abc.default\r\n"},
                    UnchangedCase{"NoPathKey", "[Profile0]\r\nName=default\r\n"},
                    UnchangedCase{"EmptyPath", "[Profile0]\r\nPath=\r\n"},
                    UnchangedCase{"MissingProfileFolder", "[Profile0]\r\nPath=Profiles/gone.default\r\n"}),
    [](const testing::TestParamInfo<UnchangedCase>& info) { return std::string(info.param.name); });

TEST_F(FirefoxProxyTest, AbsolutePathIsJoinedToTheFirefoxFolderAndChangesNothing)
{
    TempFolder elsewhere;
    WriteFileBytes(elsewhere.Path() / L"user.js", "user_pref(\"network.proxy.type\", 1);\r\n");
    MakeProfile(std::nullopt);
    const std::string ini = "[Profile0]\r\nIsRelative=0\r\nPath=" + elsewhere.Path().string() + "\r\n";
    WriteFileBytes(Firefox() / L"profiles.ini", ini);
    const auto appDataBefore = Snapshot(AppData());
    const auto elsewhereBefore = Snapshot(elsewhere.Path());

    Switch(true);

    EXPECT_EQ(Snapshot(AppData()), appDataBefore);
    EXPECT_EQ(Snapshot(elsewhere.Path()), elsewhereBefore);
}

// user.tmp cannot be created: a folder of that name stands in the way.
TEST_F(FirefoxProxyTest, UserTmpThatCannotBeCreatedLeavesUserJsAsItWas)
{
    for (bool withUserJs : {true, false}) {
        SCOPED_TRACE(withUserJs ? "user.js present" : "no user.js");
        fs::remove_all(Firefox());
        MakeProfile(withUserJs ? std::optional<std::string_view>("user_pref(\"network.proxy.type\", 1);\r\n")
                               : std::nullopt);
        fs::create_directory(UserTmp());
        const auto before = Snapshot(AppData());
        Switch(true);
        EXPECT_EQ(Snapshot(AppData()), before);
    }
}

TEST_F(FirefoxProxyTest, UserJsHeldByAnotherProgramIsLeftAlone)
{
    MakeProfile("user_pref(\"network.proxy.type\", 1);\r\n");
    const auto before = Snapshot(AppData());
    {
        const UniqueHandle held(::CreateFileW(UserJs().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        Switch(true);
    }
    EXPECT_EQ(Snapshot(AppData()), before);
}

// Connect then disconnect: the journal records Firefox's values before the
// switch, and switching off writes them back (Firefox's defaults where the
// user had none), so that Firefox reads the user's own values again.
struct PriorCase {
    const char* name;
    std::string userJs;
    std::string prefsJs;
    std::string restoredLines;
};

void PrintTo(const PriorCase& c, std::ostream* os)
{
    *os << c.name;
}

class FirefoxJournalTest : public FirefoxProxyTest, public testing::WithParamInterface<PriorCase> {};

std::string Lines(std::string_view socks, std::string_view port, std::string_view type, std::string_view dns)
{
    return "user_pref(\"network.proxy.socks\", " + std::string(socks) + ");\r\n" +
           "user_pref(\"network.proxy.socks_port\", " + std::string(port) + ");\r\n" +
           "user_pref(\"network.proxy.type\", " + std::string(type) + ");\r\n" +
           "user_pref(\"network.proxy.socks_remote_dns\", " + std::string(dns) + ");\r\n";
}

TEST_P(FirefoxJournalTest, SwitchingOffWritesTheUsersOwnValues)
{
    const PriorCase& c = GetParam();
    const std::string foreign = "user_pref(\"browser.startup.page\", 3);\r\n";
    MakeProfile(foreign + c.userJs);
    WriteFileBytes(Profile() / L"prefs.js", c.prefsJs);

    ASSERT_TRUE(RecordFirefoxPriorIn(AppData().wstring()));
    Switch(true);
    ASSERT_EQ(ReadFileBytes(UserJs()), foreign + std::string(kOnLines));
    Switch(false);

    EXPECT_EQ(ReadFileBytes(UserJs()), foreign + c.restoredLines);
    EXPECT_EQ(ReadFileBytes(Profile() / L"prefs.js"), c.prefsJs) << "prefs.js is Firefox's, never written";
    EXPECT_FALSE(ReadJournalPart(JournalPart::Firefox));
}

INSTANTIATE_TEST_SUITE_P(
    PriorStates, FirefoxJournalTest,
    testing::Values(
        PriorCase{"None", "", "", Lines("\"\"", "0", "5", "false")},
        PriorCase{"Type0", "user_pref(\"network.proxy.type\", 0);\r\n", "", Lines("\"\"", "0", "0", "false")},
        PriorCase{"Type1OwnSocks",
                  "user_pref(\"network.proxy.type\", 1);\n"
                  "user_pref(\"network.proxy.socks\", \"10.1.2.3\");\n"
                  "user_pref(\"network.proxy.socks_port\", 9050);\n"
                  "user_pref(\"network.proxy.socks_remote_dns\", true);\n",
                  "", Lines("\"10.1.2.3\"", "9050", "1", "true")},
        PriorCase{"Type2FromPrefsJs", "",
                  "user_pref(\"network.proxy.autoconfig_url\", \"http://wpad/p.pac\");\n"
                  "user_pref(\"network.proxy.type\", 2);\n",
                  Lines("\"\"", "0", "2", "false")},
        PriorCase{"Type4FromPrefsJsOwnSocksInUserJs", "user_pref(\"network.proxy.socks\", \"s.example\");\n",
                  "user_pref(\"network.proxy.type\", 4);\nuser_pref(\"network.proxy.socks\", \"other\");\n",
                  Lines("\"s.example\"", "0", "4", "false")},
        PriorCase{"Type5", "user_pref(\"network.proxy.type\", 5);\r\n", "", Lines("\"\"", "0", "5", "false")}),
    [](const testing::TestParamInfo<PriorCase>& info) { return std::string(info.param.name); });

// A user.js that is the user's own, without the tunnel's lines, stays byte for
// byte when there is no journal: a start that finds nothing changes nothing.
TEST_F(FirefoxProxyTest, WithoutAJournalTheUsersOwnUserJsStays)
{
    MakeProfile("user_pref(\"network.proxy.type\", 1);\r\nuser_pref(\"network.proxy.socks\", \"10.1.2.3\");\n"
                "user_pref(\"network.proxy.socks_port\", 1080);");
    const auto before = Snapshot(AppData());
    Switch(false);
    EXPECT_EQ(Snapshot(AppData()), before);
}

}  // namespace
