// The journal's pure parts: which connections switching off (and -r) writes,
// Firefox's prior values and the lines that put them back, and the journal's text.
#include "proxy/ConnectionRestore.h"
#include "proxy/FirefoxPrefs.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

using Connections = std::vector<ConnectionOptions>;

const ConnectionOptions kLanDirect{L"", 1, L"", L"", L"", 0};
const ConnectionOptions kLanManual{L"", 3, L"http=corp:8080", L"*.corp;<local>", L"", 0};
const ConnectionOptions kLanPac{L"", 5, L"", L"", L"http://wpad/proxy.pac", 0};
const ConnectionOptions kLanDetect{L"", 9, L"", L"", L"", 1};
const wchar_t* const kTunnel = L"socks=localhost:1234";
const ConnectionOptions kLanTunnel{L"", 2, kTunnel, L"", L"", 0};
const auto Tunnel = [](ConnectionOptions options) { options.flags = 2; options.proxyServer = kTunnel; return options; };
const auto Named = [](ConnectionOptions options, const wchar_t* name) { options.connection = name; return options; };
using Pref = std::optional<std::string>;
ProxyPrefValues Prefs(Pref socks, Pref port, Pref type, Pref dns = {}) { return {{socks, port, type, dns}}; }

// Catches a prior state that does not come back whole, a setting the user made
// while connected that is overwritten, and, without a journal, a proxy of the
// user's that is switched off.
TEST(ProxyJournalTest, ConnectionsToRestore)
{
    const struct { const char* name; std::optional<Connections> journal; Connections current, writes; } rows[] = {
        {"DirectBack", Connections{kLanDirect}, {kLanTunnel}, {kLanDirect}},
        {"ManualWithBypassBack", Connections{kLanManual}, {Tunnel(kLanManual)}, {kLanManual}},
        {"PacBack", Connections{kLanPac}, {Tunnel(kLanPac)}, {kLanPac}},
        {"AutoDetectBack", Connections{kLanDetect}, {Tunnel(kLanDetect)}, {kLanDetect}},
        // A value the switch cleared comes back; one the user set meanwhile stays.
        {"ClearedPacUrlBack", Connections{kLanPac}, {kLanTunnel}, {kLanPac}},
        {"NewBypassKept", Connections{kLanManual}, {{L"", 2, kTunnel, L"new", L"", 0}},
         {{L"", 3, L"http=corp:8080", L"new", L"", 0}}},
        // The user took the proxy over while connected: nothing is written;
        // detection switched on beside the tunnel stays on, the tunnel goes.
        {"UserServerKept", Connections{kLanDirect}, {{L"", 2, L"http=mine:3128", L"", L"", 0}}, {}},
        {"UserDetectionKept", Connections{kLanDirect}, {{L"", 2 | 8, kTunnel, L"", L"", 0}}, {{L"", 1 | 8, L"", L"", L"", 0}}},
        {"UserScriptKept", Connections{kLanManual}, {{L"", 2 | 4, kTunnel, L"", L"http://p/x.pac", 0}},
         {{L"", 3 | 4, L"http=corp:8080", L"*.corp;<local>", L"http://p/x.pac", 0}}},
        {"NewDetectionFlagsKept", Connections{kLanDirect}, {Tunnel(kLanDetect)}, {{L"", 1, L"", L"", L"", 1}}},
        // Without a journal only the tunnel's own settings go, to direct.
        {"NoJournalTunnelGoesDirect", std::nullopt, {kLanTunnel}, {kLanDirect}},
        {"NoJournalTunnelWithDetection", std::nullopt, {{L"", 2 | 8, kTunnel, L"", L"", 0}}, {kLanDirect}},
        {"NoJournalUsersProxyUntouched", std::nullopt, {kLanManual}, {}},
        {"NoJournalUsersSocksUntouched", std::nullopt, {{L"", 2, L"socks=localhost:9050", L"", L"", 0}}, {}},
        {"NoJournalTunnelServerWithoutProxyFlag", std::nullopt, {{L"", 1, kTunnel, L"", L"", 0}}, {}},
        // Dial-up and VPN entries, by name.
        {"EntriesByName", Connections{kLanDirect, Named(kLanPac, L"VPN"), Named(kLanManual, L"Dial")},
         {kLanTunnel, Named(Tunnel(kLanManual), L"Dial"), Named(Tunnel(kLanPac), L"VPN")},
         {kLanDirect, Named(kLanManual, L"Dial"), Named(kLanPac, L"VPN")}},
        {"EntryGoneMeanwhileIsSkipped", Connections{kLanDirect, Named(kLanPac, L"VPN")}, {kLanTunnel}, {kLanDirect}},
        {"EntryMadeMeanwhileGoesDirectOnlyWhenAtTheTunnel", Connections{kLanDirect},
         {kLanTunnel, Named(kLanTunnel, L"New"), Named(kLanManual, L"Other")}, {kLanDirect, Named(kLanDirect, L"New")}},
    };
    for (const auto& r : rows)
        EXPECT_EQ(ConnectionsToRestore(r.journal ? &*r.journal : nullptr, r.current), r.writes) << r.name;
    // A tunnel left by a run whose journal was lost must never be "put back".
    EXPECT_EQ(JournalOfConnections({Tunnel(kLanPac), Named(kLanManual, L"VPN")}),
              (Connections{{L"", 1, L"", L"", L"http://wpad/proxy.pac", 0}, Named(kLanManual, L"VPN")}));
}

// Catches a field that loses or changes a character (each escaped one, a
// backslash before a letter, non-ASCII), a number cut short, and a cut or
// otherwise malformed journal (or a Firefox journal with a value for an unset
// preference) taken as whole.
TEST(ProxyJournalTest, JournalTextsRoundTripAndOtherTextsAreRefused)
{
    const std::wstring odd = L"\\t\t\\\\n\n\r\0;<>*\x00e9\x4e2d\\"s;
    const Connections connections{{L"", 0xFFFFFFFF, odd, L"", odd + L"x", 0}, {odd, 0, L"", odd, L"", 0xFFFFFFFF}};
    const std::wstring text = SerializeConnections(connections), good = SerializeConnections({kLanManual});
    EXPECT_EQ(ParseConnections(text), connections);
    EXPECT_EQ(text.find(L'\0'), std::wstring::npos);
    for (const std::wstring& bad : std::vector<std::wstring>{
             text.substr(0, text.size() - 1), L"", L"Corvane journal 2\n", L"Corvane journal 1\nconnection\t\t1\n",
             L"Corvane journal 1\nconnection\t\tx\t\t\t\t0\n", L"Corvane journal 1\nconnection\t\t1\t\\q\t\t\t0\n",
             L"Corvane journal 1\nconnection\t\t4294967296\t\t\t\t0\n", good + good.substr(good.find(L'\n') + 1)})
        EXPECT_FALSE(ParseConnections(bad)) << testing::PrintToString(bad);
    EXPECT_EQ(ParseConnections(L"Corvane journal 1\n"), Connections{});
    // The same for Firefox's prior values.
    for (const ProxyPrefValues& prefs :
         {Prefs({}, {}, {}), Prefs("\"a\\\\b\t\xe9\"", "9050", "1", "true"), Prefs("\"\"", {}, "5")}) {
        const std::wstring saved = SerializeProxyPrefs(prefs);
        EXPECT_EQ(ParseProxyPrefs(saved), prefs);
        EXPECT_FALSE(ParseProxyPrefs(saved.substr(0, saved.size() - 1)));
        EXPECT_FALSE(ParseProxyPrefs(saved.substr(0, saved.rfind(L'\n', saved.size() - 2) + 1)));  // last record gone
    }
    EXPECT_FALSE(ParseProxyPrefs(SerializeConnections({kLanDirect})));
    // An unset value with a text, or a flag other than set or unset.
    for (const wchar_t* bad : {L"\t0\tx\n", L"\t2\t\n"}) {
        std::wstring corrupt = SerializeProxyPrefs(Prefs({}, {}, {}));
        EXPECT_FALSE(ParseProxyPrefs(corrupt.replace(corrupt.find(L"\t0\t\n"), 4, bad))) << testing::PrintToString(bad);
    }
}


const std::string kTunnelLines =
    "user_pref(\"network.proxy.socks\", \"localhost\");\r\nuser_pref(\"network.proxy.socks_port\", 1234);\r\n"
    "user_pref(\"network.proxy.type\", 1);\r\nuser_pref(\"network.proxy.socks_remote_dns\", true);\r\n";
const ProxyPrefValues kAtTunnel = Prefs("\"localhost\"", "1234", "1", "true");

// Catches a commented-out or malformed line read as Firefox's value, prefs.js
// winning over user.js, and the tunnel's own lines recorded as the user's.
TEST(ProxyJournalTest, FirefoxPriorValues)
{
    const struct { const char* name; std::string userJs, prefsJs; ProxyPrefValues prior; } rows[] = {
        {"NothingSet", "user_pref(\"a\", 1);\n", "", Prefs({}, {}, {})},
        {"OwnSocksFromPrefsJs", "",
         "// Mozilla User Preferences\nuser_pref(\"network.proxy.socks\", \"10.0.0.1\");\n"
         "user_pref(\"network.proxy.socks_port\", 9050);\nuser_pref(\"network.proxy.socks_remote_dns\", true);\n"
         "user_pref(\"network.proxy.type\", 1);\n",
         Prefs("\"10.0.0.1\"", "9050", "1", "true")},
        {"UserJsBeforePrefsJsEachByItself", "user_pref(\"network.proxy.type\", 2);\n",
         "user_pref(\"network.proxy.type\", 4);\nuser_pref(\"network.proxy.socks_port\", 1080);\n",
         Prefs({}, "1080", "2")},
        {"LastLineWinsSpacingAndEscapes",
         "user_pref(\"network.proxy.type\", 1);\n  user_pref( \"network.proxy.type\" ,4 ) ;\n"
         "user_pref(\"network.proxy.socks\", \"a\\\"b\");",
         "", Prefs("\"a\\\"b\"", {}, "4")},
        {"CommentsAndOtherFormsDoNotCount",
         "// user_pref(\"network.proxy.type\", 1);\n/* user_pref(\"network.proxy.type\", 2); */\n"
         "user_pref(\"network.proxy.type\", x);\nuser_pref(\"network.proxy.socks\", \"open);\n"
         "user_pref(\"network.proxy.typex\", 3);\n",
         "", Prefs({}, {}, {})},
        {"TunnelLeftByALostJournalUnset", kTunnelLines, "user_pref(\"network.proxy.type\", 4);\n", Prefs({}, {}, {})},
        {"OwnLocalhostSocksOnAnotherPortIsTheUsers",
         "user_pref(\"network.proxy.socks\", \"localhost\");\nuser_pref(\"network.proxy.socks_port\", 9050);\n"
         "user_pref(\"network.proxy.type\", 1);\n",
         "", Prefs("\"localhost\"", "9050", "1")},
    };
    for (const auto& r : rows)
        EXPECT_EQ(PriorProxyPrefs(r.userJs, r.prefsJs), r.prior) << r.name;
}

std::string OffLines(const char* type, std::string socks = "\"\"", std::string port = "0", std::string dns = "false")
{
    return "user_pref(\"network.proxy.socks\", " + socks + ");\r\nuser_pref(\"network.proxy.socks_port\", " + port +
           ");\r\nuser_pref(\"network.proxy.type\", " + type + ");\r\nuser_pref(\"network.proxy.socks_remote_dns\", " +
           dns + ");\r\n";
}

// Catches the tunnel's values left in prefs.js (no defaults written), the
// user's own values lost, and a change the user made while connected undone.
TEST(ProxyJournalTest, FirefoxRestoredLines)
{
    const struct { const char* name; std::optional<ProxyPrefValues> prior; ProxyPrefValues current; std::string lines; }
        rows[] = {
            {"NotSetGetsFirefoxsDefaults", Prefs({}, {}, {}), kAtTunnel, OffLines("5")},
            {"NoJournalGetsFirefoxsDefaults", std::nullopt, kAtTunnel, OffLines("5")},
            {"TypeZeroBack", Prefs({}, {}, "0"), kAtTunnel, OffLines("0")},
            {"OwnSocksBack", Prefs("\"10.0.0.1\"", "9050", "1", "true"), kAtTunnel,
             OffLines("1", "\"10.0.0.1\"", "9050", "true")},
            {"LinesRemovedMeanwhileStillPutBack", Prefs({}, {}, "4"), Prefs({}, {}, {}), OffLines("4")},
            {"UsersChangeKept", Prefs({}, {}, "0"), Prefs("\"localhost\"", "1234", "2", "true"), OffLines("2")},
        };
    for (const auto& r : rows)
        EXPECT_EQ(RestoredPrefLines(r.prior ? &*r.prior : nullptr, r.current), r.lines) << r.name;
    EXPECT_EQ(TunnelPrefLines(), kTunnelLines);
    EXPECT_TRUE(PointsAtTheTunnel(ReadProxyPrefs(kTunnelLines)));
    EXPECT_FALSE(PointsAtTheTunnel(ReadProxyPrefs(RestoredPrefLines(nullptr, kAtTunnel))));
}

}  // namespace
