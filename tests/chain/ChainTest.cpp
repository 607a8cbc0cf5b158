// The tunnel engine against the real programs: PuTTY's plink.exe (built from
// Debian's source) beside this executable and Debian's OpenSSH server on the
// demo addresses, started by tools/testbench/run-chain-tests.sh. What plink
// itself writes and does decides each case here; the engine's decisions on
// given texts are tested natively. The test asks that script to act on the
// servers through request files in a control folder.
#include "../common/DemoAccount.h"
#include "../common/SocksClient.h"
#include "../win/TestSupport.h"

#include "app/Settings.h"
#include "res/resource.h"

#include <gmock/gmock.h>

#include <algorithm>
#include <fstream>
#include <optional>

namespace {

using testing::EndsWith;
using testing::HasSubstr;

std::filesystem::path UnixPath(const char* variable)
{
    char value[1024] = {};
    if (!::GetEnvironmentVariableA(variable, value, sizeof(value)))
        return {};
    std::string path = std::string("Z:") + value;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// Asks the script to run `action` on the demo service and waits until it has.
bool RequestService(const std::string& action)
{
    const std::filesystem::path request = UnixPath("CORVANE_CHAIN_CONTROL") / (action + ".request");
    std::ofstream(request) << action;
    return WaitFor([&] { return !std::filesystem::exists(request); }, 60000);
}

bool SocksReachesTheDestination()
{
    return WaitFor(
        [] { return FetchThroughSocks("/socks-destination.html").find("CORVANE-SOCKS-DESTINATION") != std::string::npos; },
        30000);
}

class ChainTest : public testing::Test {
protected:
    CCorvaneDlg& Dlg() { return dialog->Dialog(); }

    // The tunnel stopped, and the servers as the next test expects them even
    // when this one failed half-way.
    void TearDown() override
    {
        if (dialog && Dlg().m_bConnected)
            Dlg().StopTunnel();
        g_bRetryPromptArmed = false;
        if (m_sshStopped) {
            EXPECT_TRUE(RequestService("start-ssh"));
        }
    }

    bool StopSsh()
    {
        m_sshStopped = true;
        return RequestService("stop-ssh");
    }

    // Connects as the user would: credentials typed, Connect pressed. The
    // test drives the monitor's ticks itself.
    bool Connect(const std::wstring& password = DemoPassword())
    {
        if (!dialog)
            dialog.emplace();
        Dlg().m_strUsername = DemoUser();
        Dlg().m_strPassword = password;
        Dlg().OnConnect();
        ::KillTimer(Dlg().GetSafeHwnd(), IDT_TUNNEL_MONITOR);
        return Dlg().m_bConnected;
    }

    // One monitor tick; true while the monitor goes on.
    bool Tick()
    {
        Dlg().OnTimer(IDT_TUNNEL_MONITOR, 0);
        return ::KillTimer(Dlg().GetSafeHwnd(), IDT_TUNNEL_MONITOR) != FALSE;
    }

    bool WaitForTunnelExit() { return ::WaitForSingleObject(Dlg().m_tunnel.ProcessHandle(), 30000) == WAIT_OBJECT_0; }

    // The one box the monitor showed.
    static std::wstring OnlyBox(const MessageBoxScript& boxes)
    {
        EXPECT_EQ(boxes.Shown().size(), 1u);
        return boxes.Shown().empty() ? std::wstring() : boxes.Shown()[0].text;
    }

    ScopedTestProfile profile;
    std::optional<MainDialogHarness> dialog;
    bool m_sshStopped = false;
};

TEST_F(ChainTest, AWrongPasswordEndsInTheLoginMessage)
{
    MessageBoxScript boxes;
    ASSERT_TRUE(Connect(L"wrong-pass"));
    ASSERT_TRUE(WaitForTunnelExit());
    EXPECT_FALSE(Tick());
    const std::wstring text = OnlyBox(boxes);
    EXPECT_THAT(text, HasSubstr(L"Access denied"));
    EXPECT_THAT(text, EndsWith(L"\n\rPlease verify your username and password."));
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
    const std::wstring text = OnlyBox(boxes);
    EXPECT_THAT(text, HasSubstr(L"Remote side unexpectedly closed"));
    EXPECT_THAT(text, EndsWith(L"Please make sure you are not logged in from another station."));
    EXPECT_FALSE(Dlg().m_bConnected);
}

TEST_F(ChainTest, ASessionDroppedAfterTheGraceComesBackSilentlyAndCarriesTraffic)
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
    ASSERT_TRUE(StopSsh());
    ASSERT_TRUE(WaitForTunnelExit());
    EXPECT_TRUE(Tick()) << "after the grace: a silent relaunch first";
    EXPECT_TRUE(boxes.Shown().empty());
    ASSERT_TRUE(WaitForTunnelExit()) << "nothing listens any more";
    EXPECT_FALSE(Tick());
    EXPECT_THAT(OnlyBox(boxes), EndsWith(L"Please check your network connection."));
    EXPECT_FALSE(Dlg().m_bConnected);
    EXPECT_EQ(SystemProxyServer(), L"");
}

// Row 12 (Canada Static IP 5, code 404) is served with a key that is not the
// pinned one: plink asks about it, the engine's CR LF declines, and the
// password never reaches that server.
TEST_F(ChainTest, AServerWithAnotherKeyNeverReceivesThePassword)
{
    settings::WriteInt(settings::kCurrentLocation, 404);
    ASSERT_TRUE(Connect());
    ASSERT_TRUE(WaitForTunnelExit()) << "plink declines the unknown key and ends";
    Dlg().StopTunnel();
    std::ifstream file(UnixPath("CORVANE_DEMO_RUN_DIR") / "sshd-other.log", std::ios::binary);
    const std::string log(std::istreambuf_iterator<char>(file), {});
    EXPECT_THAT(log, testing::Not(HasSubstr("Accepted password")));
    EXPECT_THAT(log, HasSubstr("127.0.0.1"));  // the client did reach that server
}

}  // namespace
