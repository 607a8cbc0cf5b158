// The system proxy switch against the real WinINet and registry of the prefix:
// the journal that puts back the user's own settings.
#include "../common/LanOptions.h"
#include "TestSupport.h"

#include "framework/SystemErrorText.h"
#include "proxy/ProxyJournal.h"
#include "proxy/SystemProxy.h"

#include <gmock/gmock.h>

namespace {

constexpr const wchar_t* kRunOnceKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

// The options, and the values behind them, which must come back byte for byte.
std::pair<std::optional<LanOptions>, std::vector<std::wstring>> Options()
{
    std::vector<std::wstring> values;
    for (const wchar_t* name : {L"ProxyServer", L"ProxyOverride", L"AutoConfigURL"})
        values.push_back(ReadRegString(kInternetSettingsKey, name).value_or(L""));
    values.push_back(std::to_wstring(ReadRegDword(kInternetSettingsKey, L"ProxyEnable").value_or(7)));
    return {QueryLan(), values};
}

// Connect and disconnect as the flows do them (the journal, with the `-r`
// restore registered, then on, then off), or, without a journal, the switch
// off that every start makes. Wine's WinINet keeps only the proxy flag and the
// server of these; Windows keeps all of them. Each reads back as it was. Which
// settings the journal puts back in each case is tested natively.
TEST(SystemProxyTest, SwitchingOffPutsBackWhatTheUserHad)
{
    const LanOptions direct{PROXY_TYPE_DIRECT, L"", L"", L""};
    const LanOptions tunnel{PROXY_TYPE_PROXY, L"socks=localhost:1234", L"", L""};
    const std::tuple<const char*, LanOptions, bool> rows[] = {  // name, the user's settings, a journal
        {"Direct", direct, true},
        {"ManualWithBypass", {PROXY_TYPE_DIRECT | PROXY_TYPE_PROXY, L"corp.example:8080", L"*.corp.example;<local>", L""}, true},
        {"PacUrl", {PROXY_TYPE_DIRECT | PROXY_TYPE_AUTO_PROXY_URL, L"", L"", L"http://wpad.example/proxy.pac"}, true},
        {"AutoDetectIsOffWhileConnected", {PROXY_TYPE_DIRECT | PROXY_TYPE_AUTO_DETECT, L"", L"", L""}, true},
        {"NoJournalTheTunnelsOwnGoesDirect", tunnel, false},  // left by a run whose journal is lost
    };
    ScopedTestProfile profile;
    for (const auto& [name, prior, journal] : rows) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(SetLan(prior));
        const auto before = Options();
        if (journal) {
            ASSERT_TRUE(RecordProxyJournal());
            EXPECT_EQ(ReadRegString(kRunOnceKey, L"Corvane"), L"\"" + (TestProgramFolder() / L"win_tests.exe").wstring() + L"\" -r");
            ASSERT_TRUE(SetSystemProxy(nullptr, true));
            EXPECT_EQ(QueryLan(), (LanOptions{PROXY_TYPE_PROXY, tunnel.server, before.first->bypass, before.first->autoConfigUrl}));
        }
        EXPECT_TRUE(SetSystemProxy(nullptr, false));
        const auto after = Options();
        EXPECT_EQ(after.first, journal ? before.first : direct);
        EXPECT_TRUE(!journal || after.second == before.second) << testing::PrintToString(after.second);
        // Firefox has no profile in this prefix, so the system part was the last.
        EXPECT_FALSE(ReadRegString(kRunOnceKey, L"Corvane"));
        EXPECT_FALSE(ReadJournalPart(JournalPart::System));
    }
    SetLan(direct);
    // The text a failed switch's box shows after its line: the system has none for WinINet's codes, wininet.dll has.
    EXPECT_NE(SystemErrorText(ERROR_INTERNET_NAME_NOT_RESOLVED), L"Error code 12007.");
    EXPECT_EQ(SystemErrorText(0x2000ABCD), L"Error code 536914893.");  // as every start of the program leaves it
}

}  // namespace
