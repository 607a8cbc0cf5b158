// The tunnel engine against the real programs: PuTTY's plink.exe (built from
// Debian's source) beside this executable and Debian's OpenSSH server on the
// demo addresses, started by tools/testbench/run-chain-tests.sh. The test asks
// that script to act on the servers through request files in a control folder.
#include "../common/DemoAccount.h"
#include "../common/SocksClient.h"
#include "../win/TestSupport.h"

#include "app/Settings.h"
#include "framework/Strings.h"
#include "res/resource.h"

#include <gmock/gmock.h>

#include <optional>

namespace {

using testing::EndsWith;
using testing::HasSubstr;

constexpr const char* kDestinationMarker = "CORVANE-SOCKS-DESTINATION";

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

std::filesystem::path UnixPath(const char* variable)
{
    char value[1024] = {};
    if (!::GetEnvironmentVariableA(variable, value, sizeof(value)))
        return {};
    std::string path = std::string("Z:") + value;
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path;
}

// Asks the script to run `action` on the demo service and waits until it has.
bool RequestService(const std::string& action)
{
    const std::filesystem::path request = UnixPath("CORVANE_CHAIN_CONTROL") / (action + ".request");
    WriteFileBytes(request, action);
    return WaitFor([&] { return !std::filesystem::exists(request); }, 60000);
}

bool SocksReachesTheDestination(unsigned timeoutMs = 30000)
{
    return WaitFor([] { return FetchThroughSocks("/socks-destination.html").find(kDestinationMarker) != std::string::npos; },
                   timeoutMs);
}

class ChainTest : public testing::Test {
protected:
    void OpenMainDialog() { dialog.emplace(); }
    CCorvaneDlg& Dlg() { return dialog->Dialog(); }

    void TearDown() override
    {
        if (dialog && Dlg().m_bConnected)
            Dlg().StopTunnel();
        g_bRetryPromptArmed = false;
    }

    // Connects as the user would: credentials typed, Connect pressed. The
    // test drives the monitor's ticks itself.
    bool Connect(const std::wstring& password = DemoPassword())
    {
        if (!dialog)
            OpenMainDialog();
        Dlg().m_strUsername = DemoUser();
        Dlg().m_strPassword = password;
        Dlg().OnConnect();
        ::KillTimer(Dlg().GetSafeHwnd(), IDT_TUNNEL_MONITOR);
        return Dlg().m_bConnected;
    }

    bool Tick()
    {
        Dlg().OnTimer(IDT_TUNNEL_MONITOR, 0);
        return ::KillTimer(Dlg().GetSafeHwnd(), IDT_TUNNEL_MONITOR) != FALSE;
    }

    bool WaitForTunnelExit()
    {
        return ::WaitForSingleObject(Dlg().m_tunnel.ProcessHandle(), 30000) == WAIT_OBJECT_0;
    }

    ScopedTestProfile profile;
    std::optional<MainDialogHarness> dialog;
};

TEST_F(ChainTest, TrafficGoesThroughTheTunnelUntilDisconnect)
{
    ASSERT_TRUE(Connect());
    EXPECT_EQ(Dlg().m_btnConnect.GetWindowText(), L"Disconnect");
    EXPECT_TRUE(SocksReachesTheDestination());
    EXPECT_EQ(SystemProxyServer(), L"socks=localhost:1234");
    EXPECT_TRUE(Tick()) << "the tunnel is up";

    const DWORD plink = Dlg().m_tunnel.ProcessId();
    Dlg().OnConnect();
    EXPECT_FALSE(Dlg().m_bConnected);
    EXPECT_EQ(Dlg().m_btnConnect.GetWindowText(), L"Connect");
    EXPECT_FALSE(ProcessRuns(plink));
    EXPECT_EQ(SystemProxyServer(), L"");
    EXPECT_TRUE(FetchThroughSocks("/socks-destination.html").empty());
}

TEST_F(ChainTest, AWrongPasswordEndsInTheLoginMessage)
{
    MessageBoxScript boxes;
    ASSERT_TRUE(Connect(L"wrong-pass"));
    ASSERT_TRUE(WaitForTunnelExit());
    EXPECT_FALSE(Tick());
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_THAT(Narrow(boxes.Shown()[0].text), HasSubstr("Access denied"));
    EXPECT_THAT(Narrow(boxes.Shown()[0].text), EndsWith("\n\rPlease verify your username and password."));
    EXPECT_FALSE(Dlg().m_bConnected);
    EXPECT_EQ(SystemProxyServer(), L"");
}

TEST_F(ChainTest, ASessionClosedWithinTheGraceIsReported)
{
    ASSERT_TRUE(Connect());
    ASSERT_TRUE(SocksReachesTheDestination());
    MessageBoxScript boxes;
    ASSERT_TRUE(RequestService("kill-sessions"));
    ASSERT_TRUE(WaitForTunnelExit());
    EXPECT_FALSE(Tick());
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_THAT(Narrow(boxes.Shown()[0].text), HasSubstr("Remote side unexpectedly closed"));
    EXPECT_THAT(Narrow(boxes.Shown()[0].text), EndsWith("Please make sure you are not logged in from another station."));
    EXPECT_FALSE(Dlg().m_bConnected);
}

TEST_F(ChainTest, ASessionDroppedAfterTheGraceComesBackSilently)
{
    ASSERT_TRUE(Connect());
    ASSERT_TRUE(SocksReachesTheDestination());
    Dlg().m_nMonitorTicks = 95;  // the connection has been up for a while
    MessageBoxScript boxes;
    ASSERT_TRUE(RequestService("kill-sessions"));
    ASSERT_TRUE(WaitForTunnelExit());
    EXPECT_TRUE(Tick()) << "relaunched";
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_TRUE(Dlg().m_bReconnecting);
    EXPECT_TRUE(SocksReachesTheDestination()) << "the relaunched tunnel carries traffic";
    EXPECT_TRUE(Dlg().m_bConnected);
}

TEST_F(ChainTest, AServerThatGoesAwayEndsInTheNetworkMessage)
{
    ASSERT_TRUE(Connect());
    ASSERT_TRUE(SocksReachesTheDestination());
    Dlg().m_nMonitorTicks = 95;
    MessageBoxScript boxes;
    ASSERT_TRUE(RequestService("stop-ssh"));
    ASSERT_TRUE(WaitForTunnelExit());
    EXPECT_TRUE(Tick()) << "after the grace: a silent relaunch first";
    EXPECT_TRUE(boxes.Shown().empty());
    ASSERT_TRUE(WaitForTunnelExit()) << "nothing listens any more";
    EXPECT_FALSE(Tick());
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_THAT(Narrow(boxes.Shown()[0].text), EndsWith("Please check your network connection."));
    EXPECT_FALSE(Dlg().m_bConnected);
    EXPECT_EQ(SystemProxyServer(), L"");
    ASSERT_TRUE(RequestService("start-ssh"));
}

TEST_F(ChainTest, AServerWithAnotherKeyNeverReceivesThePassword)
{
    // Row 12 (Canada Static IP 5, code 404) is served with a key that is not the pinned one.
    settings::WriteInt(settings::kCurrentLocation, 404);
    OpenMainDialog();
    ASSERT_TRUE(Connect());
    ASSERT_TRUE(WaitForTunnelExit()) << "plink declines the unknown key and ends";
    Dlg().StopTunnel();
    const std::string log = ReadFileBytes(UnixPath("CORVANE_DEMO_RUN_DIR") / "sshd-other.log");
    EXPECT_THAT(log, testing::Not(HasSubstr("Accepted password")));
    EXPECT_THAT(log, HasSubstr("127.0.0.1"));  // the client did reach that server
}

}  // namespace
