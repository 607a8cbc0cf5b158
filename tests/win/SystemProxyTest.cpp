// The system proxy switch against the real WinINet and registry of the prefix,
// and its failure box, provoked by denying the user writes to Internet Settings.
#include "../common/LanOptions.h"
#include "InternetSettingsDenial.h"
#include "TestSupport.h"

#include "framework/SystemErrorText.h"
#include "proxy/ProxyJournal.h"
#include "proxy/SystemProxy.h"

#include <gtest/gtest.h>
#include <wininet.h>

#include <optional>
#include <vector>

namespace {

constexpr wchar_t kAdminRequired[] = L"Corvane must be executed with Administrator privileges.";

// Sets the flags alone, as the user's own settings might have them.
bool SetConnectionFlags(DWORD flags)
{
    INTERNET_PER_CONN_OPTIONW option = {};
    option.dwOption = INTERNET_PER_CONN_FLAGS;
    option.Value.dwValue = flags;
    INTERNET_PER_CONN_OPTION_LISTW list = {};
    list.dwSize = sizeof(list);
    list.dwOptionCount = 1;
    list.pOptions = &option;
    return ::InternetSetOptionW(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, sizeof(list));
}

std::optional<DWORD> ReadSettingsDword(const wchar_t* name)
{
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (::RegGetValueW(HKEY_CURRENT_USER, InternetSettingsDenial::kKeyPath, name, RRF_RT_REG_DWORD, nullptr, &value,
                       &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

// An absent value reads as empty: that is how a cleared server is stored.
std::wstring ReadSettingsString(const wchar_t* name)
{
    wchar_t value[512] = {};
    DWORD size = sizeof(value);
    if (::RegGetValueW(HKEY_CURRENT_USER, InternetSettingsDenial::kKeyPath, name, RRF_RT_REG_SZ, nullptr, value,
                       &size) != ERROR_SUCCESS)
        return {};
    return value;
}

// A real window to own the failure box.
class OwnerWindow {
public:
    OwnerWindow() : m_window(::CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                               ::GetModuleHandleW(nullptr), nullptr))
    {
    }
    OwnerWindow(const OwnerWindow&) = delete;
    OwnerWindow& operator=(const OwnerWindow&) = delete;
    ~OwnerWindow() { ::DestroyWindow(m_window); }
    HWND Get() const { return m_window; }

private:
    HWND m_window;
};

class SystemProxyTest : public testing::Test {
protected:
    // The prefix is left with a direct connection, as every start of the program leaves it.
    ~SystemProxyTest() override { SetLan({}); }

    ScopedTestProfile m_profile;
};

struct SwitchCase {
    bool enable;
    DWORD flags;
    const wchar_t* server;
    DWORD proxyEnable;
};

class SystemProxySwitchTest : public SystemProxyTest, public testing::WithParamInterface<SwitchCase> {};

TEST_P(SystemProxySwitchTest, WritesBothOptionsAndShowsNothing)
{
    const SwitchCase& expected = GetParam();
    // Start from the opposite state, with automatic detection on, which
    // either direction must switch off.
    SetSystemProxy(nullptr, !expected.enable);
    ASSERT_TRUE(SetConnectionFlags((expected.enable ? PROXY_TYPE_DIRECT : PROXY_TYPE_PROXY) | PROXY_TYPE_AUTO_DETECT));
    MessageBoxScript boxes;

    EXPECT_TRUE(SetSystemProxy(nullptr, expected.enable));

    const std::optional<LanOptions> setting = QueryLan();
    ASSERT_TRUE(setting);
    EXPECT_EQ(setting->flags, expected.flags);
    EXPECT_EQ(setting->server, expected.server);
    EXPECT_EQ(ReadSettingsDword(L"ProxyEnable"), expected.proxyEnable);
    EXPECT_EQ(ReadSettingsString(L"ProxyServer"), expected.server);
    EXPECT_TRUE(boxes.Shown().empty());
}

INSTANTIATE_TEST_SUITE_P(Directions, SystemProxySwitchTest,
                         testing::Values(SwitchCase{true, PROXY_TYPE_PROXY, L"socks=localhost:1234", 1},
                                         SwitchCase{false, PROXY_TYPE_DIRECT, L"", 0}));

TEST_F(SystemProxyTest, SwitchingOnTwiceLeavesTheSameValues)
{
    ASSERT_TRUE(SetSystemProxy(nullptr, true));
    const std::optional<LanOptions> once = QueryLan();
    ASSERT_TRUE(SetSystemProxy(nullptr, true));
    const std::optional<LanOptions> twice = QueryLan();
    ASSERT_TRUE(once && twice);
    EXPECT_EQ(twice->flags, once->flags);
    EXPECT_EQ(twice->server, once->server);
    EXPECT_EQ(ReadSettingsString(L"ProxyServer"), L"socks=localhost:1234");
}

TEST_F(SystemProxyTest, SwitchingOffWhenAlreadyDirectSucceeds)
{
    ASSERT_TRUE(SetSystemProxy(nullptr, false));
    MessageBoxScript boxes;
    EXPECT_TRUE(SetSystemProxy(nullptr, false));
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(SystemProxyTest, DeniedKeyShowsTheFailureBoxOwnedByTheOwner)
{
    for (bool withOwner : {false, true}) {
        SCOPED_TRACE(withOwner ? "with an owner window" : "at start-up, without one");
        OwnerWindow window;
        const HWND expectedOwner = withOwner ? window.Get() : nullptr;
        MessageBoxScript boxes;
        {
            InternetSettingsDenial denial;
            ASSERT_TRUE(denial.Active());
            EXPECT_FALSE(SetSystemProxy(expectedOwner, true));
        }
        ASSERT_EQ(boxes.Shown().size(), 1u);
        const MessageBoxRequest& box = boxes.Shown().front();
        EXPECT_EQ(box.text, std::wstring(kAdminRequired) + L"\n\r" + SystemErrorText(ERROR_ACCESS_DENIED));
        EXPECT_EQ(box.caption, L"Corvane");
        EXPECT_EQ(box.flags, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
        EXPECT_EQ(box.owner, expectedOwner);
    }
    // The key's security is back: the switch works again.
    EXPECT_TRUE(SetSystemProxy(nullptr, false));
}

TEST(SystemErrorTextTest, AccessDeniedHasTheSystemsTextWithItsLineBreak)
{
    const std::wstring text = SystemErrorText(ERROR_ACCESS_DENIED);
    EXPECT_NE(text.find(L"ccess"), std::wstring::npos) << testing::PrintToString(text);
    EXPECT_TRUE(text.ends_with(L"\r\n"));
}

TEST(SystemErrorTextTest, WinInetCodeIsLookedUpInWinInetsMessageTable)
{
    // The system has no text for WinINet's codes; wininet.dll has one for this.
    const std::wstring text = SystemErrorText(ERROR_INTERNET_NAME_NOT_RESOLVED);
    EXPECT_FALSE(text.empty());
    EXPECT_NE(text, L"Error code 12007.");
}

TEST(SystemErrorTextTest, CodeWithoutAnyTextGetsAPlainLine)
{
    EXPECT_EQ(SystemErrorText(0x2000ABCD), L"Error code 536914893.");
}

TEST(ShowSystemErrorTest, JoinsMessageAndTextWithLineFeedThenCarriageReturn)
{
    MessageBoxScript boxes;
    ShowSystemError(nullptr, 0x2000ABCD, L"First line");
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown().front().text, L"First line\n\rError code 536914893.");
}

constexpr wchar_t kRunOncePath[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

std::optional<std::wstring> RunOnceValue()
{
    wchar_t value[1024] = {};
    DWORD size = sizeof(value);
    if (::RegGetValueW(HKEY_CURRENT_USER, kRunOncePath, L"Corvane", RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(value);
}

bool JournalKeyExists()
{
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\CorvaneTests\\Corvane\\ProxyJournal", 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

const LanOptions kDirect{PROXY_TYPE_DIRECT, L"", L"", L""};
// Wine's WinINet keeps only the proxy flag and the server (without a
// "http=" prefix) of these; Windows keeps all of them. Either way each option
// must read back after switching off exactly as it did before switching on.
const LanOptions kManualWithBypass{PROXY_TYPE_DIRECT | PROXY_TYPE_PROXY, L"corp.example:8080",
                                   L"*.corp.example;<local>", L""};
const LanOptions kPac{PROXY_TYPE_DIRECT | PROXY_TYPE_AUTO_PROXY_URL, L"", L"", L"http://wpad.example/proxy.pac"};
const LanOptions kAutoDetect{PROXY_TYPE_DIRECT | PROXY_TYPE_AUTO_DETECT, L"", L"", L""};
const LanOptions kTunnel{PROXY_TYPE_PROXY, L"socks=localhost:1234", L"", L""};

struct JournalCase {
    const char* name;
    LanOptions prior;
    std::optional<LanOptions> changedWhileConnected;  // by the user
};

// The values behind the options, which must come back byte for byte.
std::vector<std::wstring> SettingsValues()
{
    std::vector<std::wstring> values;
    for (const wchar_t* name : {L"ProxyServer", L"ProxyOverride", L"AutoConfigURL"})
        values.push_back(ReadSettingsString(name));
    values.push_back(std::to_wstring(ReadSettingsDword(L"ProxyEnable").value_or(7)));
    return values;
}

void PrintTo(const JournalCase& c, std::ostream* os)
{
    *os << c.name;
}

class SystemProxyJournalTest : public SystemProxyTest, public testing::WithParamInterface<JournalCase> {};

// Connect and disconnect as the flows do them: the journal first, then on, then off.
TEST_P(SystemProxyJournalTest, SwitchingOffPutsBackWhatTheUserHad)
{
    const JournalCase& c = GetParam();
    ASSERT_TRUE(SetLan(c.prior));
    std::optional<LanOptions> expected = QueryLan();
    ASSERT_TRUE(expected);
    const LanOptions prior = *expected;
    std::vector<std::wstring> expectedValues = SettingsValues();
    MessageBoxScript boxes;

    ASSERT_TRUE(RecordProxyJournal());
    wchar_t testProgram[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, testProgram, MAX_PATH);
    EXPECT_EQ(RunOnceValue(), L"\"" + std::wstring(testProgram) + L"\" -r");
    ASSERT_TRUE(SetSystemProxy(nullptr, true));
    EXPECT_EQ(QueryLan(), (LanOptions{PROXY_TYPE_PROXY, L"socks=localhost:1234", prior.bypass, prior.autoConfigUrl}));
    if (c.changedWhileConnected) {
        ASSERT_TRUE(SetLan(*c.changedWhileConnected));
        expected = QueryLan();
        expectedValues = SettingsValues();
    }

    EXPECT_TRUE(SetSystemProxy(nullptr, false));
    EXPECT_EQ(QueryLan(), expected);
    EXPECT_EQ(SettingsValues(), expectedValues);
    EXPECT_FALSE(ReadJournalPart(JournalPart::System));
    // Firefox has no profile in this prefix, so the system part was the last.
    EXPECT_FALSE(JournalKeyExists());
    EXPECT_FALSE(RunOnceValue());
    EXPECT_TRUE(boxes.Shown().empty());
}

INSTANTIATE_TEST_SUITE_P(
    PriorStates, SystemProxyJournalTest,
    testing::Values(JournalCase{"Direct", kDirect, std::nullopt},
                    JournalCase{"ManualWithBypass", kManualWithBypass, std::nullopt},
                    JournalCase{"PacUrl", kPac, std::nullopt},
                    JournalCase{"AutoDetect", kAutoDetect, std::nullopt},
                    JournalCase{"UsersOwnProxySetWhileConnectedStays", kDirect, kManualWithBypass}),
    [](const testing::TestParamInfo<JournalCase>& info) { return std::string(info.param.name); });

// What the user had stays as it was when the start finds no journal; only
// the tunnel's own setting, left by a run whose journal is lost, goes direct.
TEST_F(SystemProxyTest, WithoutAJournalOnlyTheTunnelsOwnSettingIsUndone)
{
    for (const LanOptions& users : {kManualWithBypass, kPac, kAutoDetect}) {
        ASSERT_TRUE(SetLan(users));
        const std::optional<LanOptions> before = QueryLan();
        const std::vector<std::wstring> values = SettingsValues();
        EXPECT_TRUE(SetSystemProxy(nullptr, false));
        EXPECT_EQ(QueryLan(), before);
        EXPECT_EQ(SettingsValues(), values);
    }
    ASSERT_TRUE(SetLan(kTunnel));
    EXPECT_TRUE(SetSystemProxy(nullptr, false));
    EXPECT_EQ(QueryLan(), kDirect);
}

}  // namespace
