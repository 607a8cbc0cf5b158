// One user's whole session with the real Corvane.exe, PuTTY's real plink.exe
// and the demo OpenSSH servers, operated only from outside: a static Canadian
// address picked, credentials typed, connect, a switch to the rotating United
// States location, exit through the tray's menu. The warnings about open
// browsers are tested in-process (tests/win). tools/testbench/run-chain-tests.sh runs it beside the real plink with
// the demo service up; every step leaves a screenshot (BMP) in the
// "screenshots" folder beside this executable.
#include "../common/DemoAccount.h"
#include "../common/SocksClient.h"
#include "../e2e/E2eSupport.h"

#include <gtest/gtest.h>
#include <winsock2.h>
#include <ws2tcpip.h>
#include <iphlpapi.h>

#include <algorithm>

namespace {

using namespace driver;

constexpr unsigned short kDemoSshPort = 4962;
// Row 10 ("Canada Static IP 3") and row 0 ("Rotating United States") of the demo profile.
constexpr const char* kCanadaStatic3Host = "127.0.0.12";
constexpr const char* kRotatingUsHost = "127.0.0.2";
constexpr int kLocation = 1008;
constexpr int kStaticIp = 1009;
// "Exit" in the tray menu of a connected Corvane, counted as the keyboard
// goes: Connect to, Disconnect, Show Window, Check for Updates, Help, Manage
// My Account, Restore System Defaults..., (separator), Exit.
constexpr int kTrayMenuExit = 7;

// The server addresses of the established TCP connections to the demo SSH
// port. Wine fills in no owning process, so the address tells them apart.
std::vector<std::string> SshServersConnected()
{
    std::vector<std::string> servers;
    ULONG size = 0;
    ::GetTcpTable(nullptr, &size, FALSE);
    std::vector<unsigned char> buffer(size + 4096);
    size = static_cast<ULONG>(buffer.size());
    if (::GetTcpTable(reinterpret_cast<MIB_TCPTABLE*>(buffer.data()), &size, FALSE) != NO_ERROR)
        return servers;
    const auto* table = reinterpret_cast<const MIB_TCPTABLE*>(buffer.data());
    for (DWORD i = 0; i < table->dwNumEntries; ++i) {
        const MIB_TCPROW& row = table->table[i];
        if (row.dwState != MIB_TCP_STATE_ESTAB || ntohs(static_cast<u_short>(row.dwRemotePort)) != kDemoSshPort)
            continue;
        in_addr remote{};
        remote.s_addr = row.dwRemoteAddr;
        char text[INET_ADDRSTRLEN] = {};
        servers.push_back(::inet_ntop(AF_INET, &remote, text, sizeof(text)));
    }
    return servers;
}

// Corvane has one plink.exe child, the only SSH connection goes to the row's
// `host`, and the SOCKS proxy carries traffic to the demo web server.
bool TunnelThrough(DWORD corvaneId, const std::string& host)
{
    return WaitUntil(
        [&] {
            return ProcessesNamed(L"plink.exe", corvaneId).size() == 1 &&
                   SshServersConnected() == std::vector<std::string>{host} &&
                   FetchThroughSocks("/socks-destination.html").find("CORVANE-SOCKS-DESTINATION") != std::string::npos;
        },
        kStepLimit);
}

int IndexOfItem(HWND dialog, int id, const std::wstring& text)
{
    const std::vector<ComboItem> items = ComboItems(dialog, id);
    const auto found = std::find_if(items.begin(), items.end(), [&](const ComboItem& item) { return item.text == text; });
    return found == items.end() ? -1 : static_cast<int>(found - items.begin());
}

class GuiChainTest : public testing::Test {
protected:
    GuiChainTest()
    {
        std::filesystem::remove_all(m_screenshots);
        std::filesystem::create_directories(m_screenshots);
    }

    // A picture for the reader of a failed run, once Corvane waits for input.
    void Screenshot(const Program& corvane, const wchar_t* step) const
    {
        corvane.WaitForInputIdle(kStepLimit);
        SaveScreenshot(m_screenshots / (std::wstring(step) + L".bmp"));
    }

    const ScopedUserSettings m_user;
    CorvaneInstall install{L"CorvaneGuiChain"};
    const std::filesystem::path m_screenshots = ExecutableDirectory() / L"screenshots";
};

TEST_F(GuiChainTest, ConnectSwitchAndExitThroughTheWindowsAndTheTray)
{
    Program corvane = install.Start();
    HWND main = WaitForMainWindow(corvane);
    ASSERT_NE(main, nullptr);

    // Credentials, then "Static Canada" / "Canada Static IP 3".
    const int staticCanada = IndexOfItem(main, kLocation, L"Static Canada");
    ASSERT_GE(staticCanada, 0);
    Select(main, kLocation, staticCanada);
    ASSERT_TRUE(WaitUntil([&] { return IsVisible(Control(main, kStaticIp)); }, kStepLimit));
    const int slot3 = IndexOfItem(main, kStaticIp, L"Canada Static IP 3");
    ASSERT_GE(slot3, 0);
    Select(main, kStaticIp, slot3);
    ASSERT_TRUE(ConnectAs(main, DemoUser(), DemoPassword()));
    EXPECT_TRUE(TunnelThrough(corvane.Id(), kCanadaStatic3Host)) << "row 10's server";
    EXPECT_EQ(ReadString(kInternetSettings, L"ProxyServer"), L"socks=localhost:1234");
    const std::vector<DWORD> firstTunnel = ProcessesNamed(L"plink.exe", corvane.Id());
    Screenshot(corvane, L"01-connected-canada-static-3");

    // Switch to "Rotating United States", answering the question that names
    // the current server: a new tunnel to row 0's server.
    const int rotatingUs = IndexOfItem(main, kLocation, L"Rotating United States");
    ASSERT_GE(rotatingUs, 0);
    Select(main, kLocation, rotatingUs, Delivery::Post);
    HWND question = FindDialog({corvane.Id(), L"Corvane Warning", L"Rotating United States"}, kStepLimit);
    ASSERT_NE(question, nullptr);
    EXPECT_NE(GetText(question, 1020).find(L"Canada Static IP 3"), std::wstring::npos);
    Screenshot(corvane, L"02-switch-question");
    ASSERT_TRUE(Answer(question, IDOK)) << "Yes";
    EXPECT_TRUE(TunnelThrough(corvane.Id(), kRotatingUsHost));
    EXPECT_NE(ProcessesNamed(L"plink.exe", corvane.Id()), firstTunnel) << "switched without a relaunch";
    EXPECT_EQ(ReadString(kInternetSettings, L"ProxyServer"), L"socks=localhost:1234");

    // Exit as the user does: a right press on the icon, "Exit" in its menu,
    // OK in the exit warning.
    SendTrayCallback(corvane.Id(), WM_RBUTTONDOWN);
    HWND menu = WaitForPopupMenu(corvane.Id(), kStepLimit);
    ASSERT_NE(menu, nullptr);
    Screenshot(corvane, L"03-tray-menu");
    ChoosePopupMenuItem(menu, kTrayMenuExit);
    HWND exitWarning = FindDialog({corvane.Id(), L"Closing Corvane", L""}, kStepLimit);
    ASSERT_NE(exitWarning, nullptr);
    Screenshot(corvane, L"04-exit-warning");
    ASSERT_TRUE(Answer(exitWarning, IDOK));
    EXPECT_EQ(corvane.WaitForExit(kStepLimit), std::optional<DWORD>(0));

    EXPECT_EQ(ReadDword(kInternetSettings, L"ProxyEnable"), std::optional<DWORD>(0));
    EXPECT_EQ(ReadString(kInternetSettings, L"ProxyServer").value_or(L""), L"");
    EXPECT_FALSE(SocksPortListens()) << "nothing listens on the proxy port";
    EXPECT_TRUE(WaitUntil([] { return ProcessesNamed(L"plink.exe").empty(); }, kStepLimit)) << "a tunnel is left";
}

}  // namespace
