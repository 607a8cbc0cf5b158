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

// The failure box of a denied switch is checked where a launch meets it.
TEST(SystemErrorTextTest, WinInetCodesHaveWinInetsTextAndOthersAPlainLine)
{
    // The system has no text for WinINet's codes; wininet.dll has one for this.
    EXPECT_NE(SystemErrorText(ERROR_INTERNET_NAME_NOT_RESOLVED), L"Error code 12007.");
    EXPECT_EQ(SystemErrorText(0x2000ABCD), L"Error code 536914893.");
}

// The values behind the options, which must come back byte for byte.
std::vector<std::wstring> SettingsValues()
{
    std::vector<std::wstring> values;
    for (const wchar_t* name : {L"ProxyServer", L"ProxyOverride", L"AutoConfigURL"})
        values.push_back(ReadRegString(kInternetSettingsKey, name).value_or(L""));
    values.push_back(std::to_wstring(ReadRegDword(kInternetSettingsKey, L"ProxyEnable").value_or(7)));
    return values;
}

// Connect and disconnect as the flows do them (the journal, with the `-r`
// restore registered, then on, then off), or, without a journal, the switch
// off that every start makes. Wine's WinINet keeps only the proxy flag and the
// server of these; Windows keeps all of them. Each reads back as it was.
TEST(SystemProxyTest, SwitchingOffPutsBackWhatTheUserHad)
{
    const LanOptions direct{PROXY_TYPE_DIRECT, L"", L"", L""};
    const LanOptions manual{PROXY_TYPE_DIRECT | PROXY_TYPE_PROXY, L"corp.example:8080", L"*.corp.example;<local>", L""};
    const LanOptions pac{PROXY_TYPE_DIRECT | PROXY_TYPE_AUTO_PROXY_URL, L"", L"", L"http://wpad.example/proxy.pac"};
    const LanOptions tunnel{PROXY_TYPE_PROXY, L"socks=localhost:1234", L"", L""};
    // setWhileConnected: by the user.
    struct Row { const char* name; LanOptions prior; bool journal; std::optional<LanOptions> setWhileConnected; };
    const Row rows[] = {
        {"Direct", direct, true, {}},
        {"ManualWithBypass", manual, true, {}},
        {"PacUrl", pac, true, {}},
        {"AutoDetectIsOffWhileConnected", {PROXY_TYPE_DIRECT | PROXY_TYPE_AUTO_DETECT, L"", L"", L""}, true, {}},
        {"UsersOwnProxySetWhileConnectedStays", direct, true, manual},
        {"NoJournalManualStays", manual, false, {}},
        {"NoJournalTheTunnelsOwnGoesDirect", tunnel, false, {}},  // left by a run whose journal is lost
    };
    ScopedTestProfile profile;
    wchar_t testProgram[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, testProgram, MAX_PATH);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(SetLan(row.prior));
        std::optional<LanOptions> expected = row.prior == tunnel ? direct : QueryLan();
        std::vector<std::wstring> expectedValues = SettingsValues();
        MessageBoxScript boxes;
        if (row.journal) {
            ASSERT_TRUE(RecordProxyJournal());
            EXPECT_EQ(ReadRegString(kRunOnceKey, L"Corvane"), L"\"" + std::wstring(testProgram) + L"\" -r");
            ASSERT_TRUE(SetSystemProxy(nullptr, true));
            EXPECT_EQ(QueryLan(), (LanOptions{PROXY_TYPE_PROXY, tunnel.server, expected->bypass, expected->autoConfigUrl}));
        }
        if (row.setWhileConnected) {
            ASSERT_TRUE(SetLan(*row.setWhileConnected));
            expected = QueryLan();
            expectedValues = SettingsValues();
        }
        EXPECT_TRUE(SetSystemProxy(nullptr, false));
        EXPECT_EQ(QueryLan(), expected);
        if (row.prior != tunnel) {
            EXPECT_EQ(SettingsValues(), expectedValues);
        }
        // Firefox has no profile in this prefix, so the system part was the last.
        EXPECT_FALSE(ReadRegString(kRunOnceKey, L"Corvane"));
        EXPECT_FALSE(ReadJournalPart(JournalPart::System));
        EXPECT_TRUE(boxes.Shown().empty());
    }
    SetLan(direct);  // as every start of the program leaves it
}

}  // namespace
