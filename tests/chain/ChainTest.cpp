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

#include <cstdlib>
#include <fstream>
#include <optional>

namespace {

using namespace testing;

// A folder the script names by its Unix path, through Wine's drive Z:.
std::filesystem::path UnixPath(const char* variable)
{
    const char* value = std::getenv(variable);
    return std::string("Z:") + (value ? value : "");
}

// Asks the script to run `action` ("kill-sessions", "stop-ssh", "start-ssh")
// on the demo service and waits until it has.
bool RequestService(const std::string& action)
{
    const std::filesystem::path request = UnixPath("CORVANE_CHAIN_CONTROL") / (action + ".request");
    std::ofstream(request) << action;
    return WaitFor([&] { return !std::filesystem::exists(request); }, 60000);
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
            m_sshStopped = false;
        }
    }

    // Connects on a fresh dialog as the user would: credentials typed,
    // Connect pressed. The test drives the monitor's ticks itself.
    bool Connect(const wchar_t* password = nullptr)
    {
        TearDown();
        dialog.emplace();
        Dlg().m_strUsername = DemoUser();
        Dlg().m_strPassword = password ? std::wstring(password) : DemoPassword();
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

    ScopedTestProfile profile;
    std::optional<MainDialogHarness> dialog;
    bool m_sshStopped = false;
};

// How the tunnel ends and what the monitor makes of plink's own texts: a
// box with plink's text and the line for its cause, or (empty `ending`) a
// silent relaunch after the grace whose tunnel carries traffic again.
TEST_F(ChainTest, EachEndOfTheTunnelGetsItsMessageOrASilentRelaunch)
{
    // Name, password (null: the demo account's), monitor ticks the connection
    // has been up, action on the servers (null: none, the password ends it),
    // plink's text in the box and the box's last line.
    const std::tuple<const char*, const wchar_t*, int, const char*, const wchar_t*, const wchar_t*> rows[] = {
        {"wrong password", L"wrong-pass", 0, nullptr, L"Access denied", L"\n\rPlease verify your username and password."},
        {"closed within the grace", nullptr, 0, "kill-sessions", L"Remote side unexpectedly closed",
         L"Please make sure you are not logged in from another station."},
        {"dropped after the grace", nullptr, 95, "kill-sessions", L"", L""},
        {"server gone, after a silent relaunch", nullptr, 95, "stop-ssh", L"", L"Please check your network connection."},
    };
    for (const auto& [name, password, ticksUp, action, plinkText, ending] : rows) {
        SCOPED_TRACE(name);
        MessageBoxScript boxes;
        ASSERT_TRUE(Connect(password));
        if (action) {
            ASSERT_TRUE(WaitFor(SocksReachesTheDestination, 30000));
            Dlg().m_nMonitorTicks = ticksUp;
            m_sshStopped = m_sshStopped || action == std::string("stop-ssh");
            ASSERT_TRUE(RequestService(action));
        }
        ASSERT_TRUE(WaitForTunnelExit());
        if (ticksUp) {
            EXPECT_TRUE(Tick() && boxes.Shown().empty() && Dlg().m_bReconnecting) << "after the grace: a silent relaunch first";
            if (!*ending) {
                EXPECT_TRUE(WaitFor(SocksReachesTheDestination, 30000)) << "the relaunched tunnel carries traffic";
                EXPECT_TRUE(Dlg().m_bConnected);
                continue;
            }
            ASSERT_TRUE(WaitForTunnelExit()) << "nothing listens any more";
        }
        EXPECT_FALSE(Tick());
        ASSERT_EQ(boxes.Shown().size(), 1u);
        EXPECT_THAT(boxes.Shown()[0].text, HasSubstr(plinkText));
        EXPECT_THAT(boxes.Shown()[0].text, EndsWith(ending));
        EXPECT_FALSE(Dlg().m_bConnected);
        EXPECT_EQ(SystemProxyServer(), L"");
    }
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
    EXPECT_THAT(log, Not(HasSubstr("Accepted password")));
    EXPECT_THAT(log, HasSubstr("127.0.0.1"));  // the client did reach that server
}

}  // namespace
