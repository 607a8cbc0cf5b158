// One user's whole session with the real Corvane.exe, PuTTY's real plink.exe
// and the demo OpenSSH servers, operated only from outside: a static Canadian
// address picked, credentials typed, connect, a switch to the rotating United
// States location, exit through the tray's menu. The warnings about open
// browsers are tested in-process (tests/win). tools/testbench/run-chain-tests.sh
// runs it beside the real plink with the demo service up.
#include "../common/DemoAccount.h"
#include "../common/SocksClient.h"
#include "../e2e/E2eSupport.h"

#include <gtest/gtest.h>
#include <winsock2.h>
#include <iphlpapi.h>

#include <algorithm>

namespace {

using namespace driver;

// The server addresses of the established TCP connections to the demo SSH
// port 4962. Wine fills in no owning process, so the address tells them apart.
std::vector<DWORD> SshServersConnected()
{
    std::vector<unsigned char> buffer(64 * 1024);
    auto size = static_cast<ULONG>(buffer.size());
    auto* table = reinterpret_cast<MIB_TCPTABLE*>(buffer.data());
    const bool read = ::GetTcpTable(table, &size, FALSE) == NO_ERROR;
    std::vector<DWORD> servers;
    for (DWORD i = 0; read && i < table->dwNumEntries; ++i)
        if (table->table[i].dwState == MIB_TCP_STATE_ESTAB && ntohs(static_cast<u_short>(table->table[i].dwRemotePort)) == 4962)
            servers.push_back(table->table[i].dwRemoteAddr);
    return servers;
}

// Corvane has one plink.exe child, the only SSH connection goes to the row's
// `host`, and the SOCKS proxy carries traffic to the demo web server.
bool TunnelThrough(DWORD corvaneId, const char* host)
{
    return WaitUntil(
        [&] {
            return ProcessesNamed(L"plink.exe", corvaneId).size() == 1 &&
                   SshServersConnected() == std::vector<DWORD>{::inet_addr(host)} && SocksReachesTheDestination();
        },
        kStepLimit);
}

// Picks the item of that text as the user does; false when there is none.
bool Pick(HWND dialog, int id, const std::wstring& text, Delivery delivery = Delivery::Send)
{
    const std::vector<ComboItem> items = ComboItems(dialog, id);
    const auto found = std::find_if(items.begin(), items.end(), [&](const ComboItem& item) { return item.text == text; });
    if (found != items.end())
        Select(dialog, id, static_cast<int>(found - items.begin()), delivery);
    return found != items.end();
}

TEST(GuiChainTest, ConnectSwitchAndExitThroughTheWindowsAndTheTray)
{
    const ScopedUserSettings user;
    const CorvaneInstall install{L"CorvaneGuiChain"};
    Program corvane = install.Start();
    HWND main = WaitForMainWindow(corvane);

    // In the location list (1008) and the static address list (1009): "Static
    // Canada" / "Canada Static IP 3" is row 10, served on 127.0.0.12.
    ASSERT_TRUE(Pick(main, 1008, L"Static Canada"));
    ASSERT_TRUE(WaitUntil([&] { return IsVisible(Control(main, 1009)); }, kStepLimit));
    ASSERT_TRUE(Pick(main, 1009, L"Canada Static IP 3"));
    ASSERT_TRUE(ConnectAs(main, DemoUser(), DemoPassword()));
    EXPECT_TRUE(TunnelThrough(corvane.Id(), "127.0.0.12")) << "row 10's server";
    EXPECT_EQ(SystemProxy(), L"1 socks=localhost:1234");
    const std::vector<DWORD> firstTunnel = ProcessesNamed(L"plink.exe", corvane.Id());

    // Switch to "Rotating United States" (row 0, 127.0.0.2), answering the
    // question that names the current server: a new tunnel without a relaunch.
    ASSERT_TRUE(Pick(main, 1008, L"Rotating United States", Delivery::Post));
    HWND question = FindDialog({corvane.Id(), L"Corvane Warning", L"Rotating United States"}, kStepLimit);
    ASSERT_NE(question, nullptr);
    EXPECT_NE(GetText(question, 1020).find(L"Canada Static IP 3"), std::wstring::npos);
    ASSERT_TRUE(Answer(question, IDOK)) << "Yes";
    EXPECT_TRUE(TunnelThrough(corvane.Id(), "127.0.0.2"));
    EXPECT_NE(ProcessesNamed(L"plink.exe", corvane.Id()), firstTunnel) << "switched without a relaunch";
    EXPECT_EQ(SystemProxy(), L"1 socks=localhost:1234");

    // Exit as the user does: a right press on the icon, "Exit" in its menu
    // (Connect to, Disconnect, Show Window, Check for Updates, Help, Manage My
    // Account, Restore System Defaults..., Exit), OK in the exit warning.
    SendTrayCallback(corvane.Id(), WM_RBUTTONDOWN);
    HWND menu = WaitForPopupMenu(corvane.Id(), kStepLimit);
    ASSERT_NE(menu, nullptr);
    ChoosePopupMenuItem(menu, 7);
    HWND exitWarning = FindDialog({corvane.Id(), L"Closing Corvane", L""}, kStepLimit);
    ASSERT_NE(exitWarning, nullptr);
    ASSERT_TRUE(Answer(exitWarning, IDOK));
    EXPECT_EQ(corvane.WaitForExit(kStepLimit), std::optional<DWORD>(0));
    EXPECT_EQ(SystemProxy(), L"0 ");
    EXPECT_FALSE(SocksPortListens()) << "nothing listens on the proxy port";
    EXPECT_TRUE(WaitUntil([] { return ProcessesNamed(L"plink.exe").empty(); }, kStepLimit)) << "a tunnel is left";
}

}  // namespace
