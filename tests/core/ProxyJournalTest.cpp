// The journal's pure parts: which connections switching off writes, Firefox's
// prior values and the lines that put them back, and the journal's text.
#include "proxy/ConnectionRestore.h"
#include "proxy/FirefoxPrefs.h"
#include "proxy/JournalText.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

namespace {

using Connections = std::vector<ConnectionOptions>;

const ConnectionOptions kLanDirect{L"", 1, L"", L"", L"", 0};
const ConnectionOptions kLanManual{L"", 3, L"http=corp:8080", L"*.corp;<local>", L"", 0};
const ConnectionOptions kLanPac{L"", 5, L"", L"", L"http://wpad/proxy.pac", 0};
const ConnectionOptions kLanDetect{L"", 9, L"", L"", L"", 1};
const ConnectionOptions kLanTunnel{L"", 2, L"socks=localhost:1234", L"", L"", 0};

ConnectionOptions Named(ConnectionOptions options, const wchar_t* name)
{
    options.connection = name;
    return options;
}

ConnectionOptions Tunnel(ConnectionOptions options)
{
    options.flags = 2;
    options.proxyServer = L"socks=localhost:1234";
    return options;
}

struct RestoreCase {
    const char* name;
    std::optional<Connections> journal;
    Connections current;
    Connections writes;
};

void PrintTo(const RestoreCase& c, std::ostream* os)
{
    *os << c.name;
}

class ConnectionRestoreTest : public testing::TestWithParam<RestoreCase> {};

TEST_P(ConnectionRestoreTest, WritesOnlyWhatIsStillTheTunnels)
{
    const RestoreCase& c = GetParam();
    EXPECT_EQ(ConnectionsToRestore(c.journal ? &*c.journal : nullptr, c.current), c.writes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConnectionRestoreTest,
    testing::Values(
        // Each prior state comes back whole after the tunnel's values.
        RestoreCase{"DirectBack", Connections{kLanDirect}, {kLanTunnel}, {kLanDirect}},
        RestoreCase{"ManualWithBypassBack", Connections{kLanManual}, {Tunnel(kLanManual)}, {kLanManual}},
        RestoreCase{"PacBack", Connections{kLanPac}, {Tunnel(kLanPac)}, {kLanPac}},
        RestoreCase{"AutoDetectBack", Connections{kLanDetect}, {Tunnel(kLanDetect)}, {kLanDetect}},
        // A value the switch cleared comes back; one the user set meanwhile stays.
        RestoreCase{"ClearedPacUrlBack", Connections{kLanPac}, {kLanTunnel}, {kLanPac}},
        RestoreCase{"NewBypassKept", Connections{kLanManual},
                    {[] { auto c = Tunnel(kLanManual); c.proxyBypass = L"new"; return c; }()},
                    {[] { auto c = kLanManual; c.proxyBypass = L"new"; return c; }()}},
        // The user took the proxy over while connected: nothing is written.
        RestoreCase{"UserServerKept", Connections{kLanDirect},
                    {[] { auto c = kLanTunnel; c.proxyServer = L"http=mine:3128"; return c; }()}, {}},
        RestoreCase{"UserDetectionKept", Connections{kLanDirect},
                    {[] { auto c = kLanTunnel; c.flags = 2 | 8; return c; }()}, {}},
        // Without a journal only the tunnel's own settings go, to direct.
        RestoreCase{"NoJournalTunnelGoesDirect", std::nullopt, {kLanTunnel}, {kLanDirect}},
        RestoreCase{"NoJournalTunnelWithDetectionGoesDirect", std::nullopt,
                    {[] { auto c = kLanTunnel; c.flags = 2 | 8; return c; }()}, {kLanDirect}},
        RestoreCase{"NoJournalUsersProxyUntouched", std::nullopt, {kLanManual}, {}},
        RestoreCase{"NoJournalUsersSocksUntouched", std::nullopt,
                    {[] { auto c = kLanDirect; c.flags = 2; c.proxyServer = L"socks=localhost:9050"; return c; }()}, {}},
        RestoreCase{"NoJournalTunnelServerWithoutProxyFlagUntouched", std::nullopt,
                    {[] { auto c = kLanTunnel; c.flags = 1; return c; }()}, {}},
        // Dial-up and VPN entries, by name.
        RestoreCase{"EntriesByName", Connections{kLanDirect, Named(kLanPac, L"VPN"), Named(kLanManual, L"Dial")},
                    {kLanTunnel, Named(Tunnel(kLanManual), L"Dial"), Named(Tunnel(kLanPac), L"VPN")},
                    {kLanDirect, Named(kLanManual, L"Dial"), Named(kLanPac, L"VPN")}},
        RestoreCase{"EntryGoneMeanwhileIsSkipped", Connections{kLanDirect, Named(kLanPac, L"VPN")}, {kLanTunnel},
                    {kLanDirect}},
        RestoreCase{"EntryMadeMeanwhileGoesDirectOnlyWhenAtTheTunnel", Connections{kLanDirect},
                    {kLanTunnel, Named(kLanTunnel, L"New"), Named(kLanManual, L"Other")},
                    {kLanDirect, Named(kLanDirect, L"New")}}),
    [](const testing::TestParamInfo<RestoreCase>& info) { return std::string(info.param.name); });

TEST(ConnectionJournalTest, ATunnelLeftByALostJournalIsRecordedAsDirect)
{
    const ConnectionOptions pacAtTunnel = Tunnel(kLanPac);
    const Connections recorded = JournalOfConnections({pacAtTunnel, Named(kLanManual, L"VPN")});
    ConnectionOptions pacDirect = kLanPac;
    pacDirect.flags = 1;
    EXPECT_EQ(recorded, (Connections{pacDirect, Named(kLanManual, L"VPN")}));
}

std::wstring RandomText(std::mt19937& random)
{
    static const std::wstring alphabet = L"ab\\\t\n\r;:=<>*. \x00e9\x4e2d";
    std::uniform_int_distribution<size_t> length(0, 12);
    std::uniform_int_distribution<size_t> pick(0, alphabet.size());
    std::wstring text;
    for (size_t n = length(random); n > 0; --n) {
        const size_t i = pick(random);
        text += i == alphabet.size() ? L'\0' : alphabet[i];
    }
    return text;
}

TEST(ConnectionJournalTest, AnyConnectionsSurviveTheTextAndACutTextIsRefused)
{
    std::mt19937 random(4962);
    std::uniform_int_distribution<std::uint32_t> number;
    for (int round = 0; round < 500; ++round) {
        Connections connections;
        for (int i = round % 4; i >= 0; --i) {
            connections.push_back({i == 0 ? L"" : RandomText(random) + std::to_wstring(i), number(random),
                                   RandomText(random), RandomText(random), RandomText(random), number(random)});
        }
        const std::wstring text = SerializeConnections(connections);
        ASSERT_EQ(ParseConnections(text), connections) << "round " << round;
        ASSERT_EQ(text.find(L'\0'), std::wstring::npos);
        ASSERT_FALSE(ParseConnections(text.substr(0, text.size() - 1))) << "round " << round;
    }
}

TEST(ConnectionJournalTest, OtherTextsAreNoJournal)
{
    const std::wstring good = SerializeConnections({kLanManual});
    for (const std::wstring& bad : std::vector<std::wstring>{
             L"", L"Corvane journal 2\n", L"Corvane journal 1\nconnection\t\t1\n",
          L"Corvane journal 1\nconnection\t\tx\t\t\t\t0\n", L"Corvane journal 1\nconnection\t\t1\t\\q\t\t\t0\n",
          L"Corvane journal 1\nconnection\t\t99999999999\t\t\t\t0\n", good + good.substr(good.find(L'\n') + 1)}) {
        EXPECT_FALSE(ParseConnections(bad)) << testing::PrintToString(bad);
    }
    EXPECT_EQ(ParseConnections(L"Corvane journal 1\n"), Connections{});
}

ProxyPrefValues Prefs(std::optional<std::string> socks, std::optional<std::string> port,
                      std::optional<std::string> type, std::optional<std::string> remoteDns = std::nullopt)
{
    return ProxyPrefValues{{std::move(socks), std::move(port), std::move(type), std::move(remoteDns)}};
}

struct PriorCase {
    const char* name;
    std::string userJs;
    std::string prefsJs;
    ProxyPrefValues prior;
};

void PrintTo(const PriorCase& c, std::ostream* os)
{
    *os << c.name;
}

class FirefoxPriorTest : public testing::TestWithParam<PriorCase> {};

TEST_P(FirefoxPriorTest, ReadsWhatFirefoxUses)
{
    EXPECT_EQ(PriorProxyPrefs(GetParam().userJs, GetParam().prefsJs), GetParam().prior);
}

INSTANTIATE_TEST_SUITE_P(
    Files, FirefoxPriorTest,
    testing::Values(
        PriorCase{"NothingSet", "user_pref(\"a\", 1);\n", "", Prefs({}, {}, {})},
        PriorCase{"TypeFromUserJs", "user_pref(\"network.proxy.type\", 0);\r\n", "", Prefs({}, {}, "0")},
        PriorCase{"OwnSocksFromPrefsJs", "",
                  "// Mozilla User Preferences\n"
                  "user_pref(\"network.proxy.socks\", \"10.0.0.1\");\n"
                  "user_pref(\"network.proxy.socks_port\", 9050);\n"
                  "user_pref(\"network.proxy.socks_remote_dns\", true);\n"
                  "user_pref(\"network.proxy.type\", 1);\n",
                  Prefs("\"10.0.0.1\"", "9050", "1", "true")},
        PriorCase{"UserJsBeforePrefsJsEachByItself", "user_pref(\"network.proxy.type\", 2);\n",
                  "user_pref(\"network.proxy.type\", 4);\nuser_pref(\"network.proxy.socks_port\", 1080);\n",
                  Prefs({}, "1080", "2")},
        PriorCase{"LastLineWinsSpacingAndEscapes",
                  "user_pref(\"network.proxy.type\", 1);\n  user_pref( \"network.proxy.type\" ,4 ) ;\n"
                  "user_pref(\"network.proxy.socks\", \"a\\\"b\");",
                  "", Prefs("\"a\\\"b\"", {}, "4")},
        PriorCase{"CommentsAndOtherFormsDoNotCount",
                  "// user_pref(\"network.proxy.type\", 1);\n/* user_pref(\"network.proxy.type\", 2); */\n"
                  "user_pref(\"network.proxy.type\", x);\nuser_pref(\"network.proxy.socks\", \"open);\n"
                  "user_pref(\"network.proxy.typex\", 3);\n",
                  "", Prefs({}, {}, {})},
        PriorCase{"TunnelLeftByALostJournalIsNotSet",
                  "user_pref(\"network.proxy.socks\", \"localhost\");\r\nuser_pref(\"network.proxy.socks_port\", 1234);\r\n"
                  "user_pref(\"network.proxy.type\", 1);\r\nuser_pref(\"network.proxy.socks_remote_dns\", true);\r\n",
                  "user_pref(\"network.proxy.type\", 4);\n", Prefs({}, {}, {})},
        PriorCase{"OwnLocalhostSocksOnAnotherPortIsTheUsers",
                  "user_pref(\"network.proxy.socks\", \"localhost\");\nuser_pref(\"network.proxy.socks_port\", 9050);\n"
                  "user_pref(\"network.proxy.type\", 1);\n",
                  "", Prefs("\"localhost\"", "9050", "1")}),
    [](const testing::TestParamInfo<PriorCase>& info) { return std::string(info.param.name); });

constexpr std::string_view kTunnelLines =
    "user_pref(\"network.proxy.socks\", \"localhost\");\r\n"
    "user_pref(\"network.proxy.socks_port\", 1234);\r\n"
    "user_pref(\"network.proxy.type\", 1);\r\n"
    "user_pref(\"network.proxy.socks_remote_dns\", true);\r\n";

std::string OffLines(std::string_view socks, std::string_view port, std::string_view type, std::string_view dns)
{
    return "user_pref(\"network.proxy.socks\", " + std::string(socks) + ");\r\n" +
           "user_pref(\"network.proxy.socks_port\", " + std::string(port) + ");\r\n" +
           "user_pref(\"network.proxy.type\", " + std::string(type) + ");\r\n" +
           "user_pref(\"network.proxy.socks_remote_dns\", " + std::string(dns) + ");\r\n";
}

struct LinesCase {
    const char* name;
    std::optional<ProxyPrefValues> prior;
    ProxyPrefValues current;
    std::string lines;
};

void PrintTo(const LinesCase& c, std::ostream* os)
{
    *os << c.name;
}

class RestoredLinesTest : public testing::TestWithParam<LinesCase> {};

TEST_P(RestoredLinesTest, CarryTheUsersOwnValues)
{
    const LinesCase& c = GetParam();
    EXPECT_EQ(RestoredPrefLines(c.prior ? &*c.prior : nullptr, c.current), c.lines);
}

const ProxyPrefValues kAtTunnel = ReadProxyPrefs(kTunnelLines);

INSTANTIATE_TEST_SUITE_P(
    Cases, RestoredLinesTest,
    testing::Values(
        LinesCase{"NotSetGetsFirefoxsDefaults", Prefs({}, {}, {}), kAtTunnel, OffLines("\"\"", "0", "5", "false")},
        LinesCase{"NoJournalGetsFirefoxsDefaults", std::nullopt, kAtTunnel, OffLines("\"\"", "0", "5", "false")},
        LinesCase{"TypeZeroBack", Prefs({}, {}, "0"), kAtTunnel, OffLines("\"\"", "0", "0", "false")},
        LinesCase{"OwnSocksBack", Prefs("\"10.0.0.1\"", "9050", "1", "true"), kAtTunnel,
                  OffLines("\"10.0.0.1\"", "9050", "1", "true")},
        LinesCase{"LinesRemovedMeanwhileStillPutBack", Prefs({}, {}, "4"), Prefs({}, {}, {}),
                  OffLines("\"\"", "0", "4", "false")},
        LinesCase{"UsersChangeWhileConnectedKept", Prefs({}, {}, "0"), Prefs("\"localhost\"", "1234", "2", "true"),
                  OffLines("\"\"", "0", "2", "false")}),
    [](const testing::TestParamInfo<LinesCase>& info) { return std::string(info.param.name); });

TEST(FirefoxPrefsTest, TunnelLinesPointAtTheTunnelAndRestoredOnesDoNot)
{
    EXPECT_EQ(TunnelPrefLines(), kTunnelLines);
    EXPECT_TRUE(PointsAtTheTunnel(kAtTunnel));
    EXPECT_FALSE(PointsAtTheTunnel(ReadProxyPrefs(RestoredPrefLines(nullptr, kAtTunnel))));
}

TEST(FirefoxPrefsTest, JournalTextRoundTripsAndRefusesOtherTexts)
{
    for (const ProxyPrefValues& prefs :
         {Prefs({}, {}, {}), Prefs("\"a\\\\b\t\xe9\"", "9050", "1", "true"), Prefs("\"\"", {}, "5")}) {
        const std::wstring text = SerializeProxyPrefs(prefs);
        EXPECT_EQ(ParseProxyPrefs(text), prefs);
        EXPECT_FALSE(ParseProxyPrefs(text.substr(0, text.size() - 1)));
    }
    EXPECT_FALSE(ParseProxyPrefs(SerializeConnections({kLanDirect})));
    EXPECT_FALSE(ParseProxyPrefs(L"Corvane journal 1\npref\tnetwork.proxy.socks\t0\tx\n"));
}

}  // namespace
