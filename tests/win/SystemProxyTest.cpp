// The system proxy switch against the real WinINet and registry of the prefix,
// and its failure box, provoked by denying the user writes to Internet Settings.
#include "InternetSettingsDenial.h"
#include "TestSupport.h"
#include "proxy/SystemErrorText.h"
#include "proxy/SystemProxy.h"

#include <gtest/gtest.h>
#include <wininet.h>

#include <optional>

namespace {

constexpr wchar_t kAdminRequired[] = L"Corvane must be executed with Administrator privileges.";

struct ProxySetting {
    DWORD flags = 0;
    std::wstring server;
};

// The default connection's flags and server as WinINet reports them.
std::optional<ProxySetting> QueryProxySetting()
{
    INTERNET_PER_CONN_OPTIONW options[2] = {};
    options[0].dwOption = INTERNET_PER_CONN_FLAGS;
    options[1].dwOption = INTERNET_PER_CONN_PROXY_SERVER;
    INTERNET_PER_CONN_OPTION_LISTW list = {};
    list.dwSize = sizeof(list);
    list.dwOptionCount = 2;
    list.pOptions = options;
    DWORD size = sizeof(list);
    if (!::InternetQueryOptionW(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, &size))
        return std::nullopt;
    ProxySetting setting{options[0].Value.dwValue, {}};
    if (options[1].Value.pszValue) {
        setting.server = options[1].Value.pszValue;
        ::GlobalFree(options[1].Value.pszValue);
    }
    return setting;
}

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
    ~SystemProxyTest() override { SetSystemProxy(nullptr, false); }
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

    const std::optional<ProxySetting> setting = QueryProxySetting();
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
    const std::optional<ProxySetting> once = QueryProxySetting();
    ASSERT_TRUE(SetSystemProxy(nullptr, true));
    const std::optional<ProxySetting> twice = QueryProxySetting();
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

}  // namespace
