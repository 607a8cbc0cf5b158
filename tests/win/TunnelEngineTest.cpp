// The tunnel engine in-process against the plink double (plink.exe beside
// this executable, found by the same search as the product's): launch,
// host-key seeding, the monitor's ticks driven by calling the handler, stop
// and sweep. The user name chooses the double's scenario.
#include "LoopbackHttpServer.h"
#include "PlinkDoubleLog.h"
#include "TestSupport.h"

#include "ServiceProfile.h"
#include "app/Settings.h"
#include "framework/Handles.h"
#include "framework/Strings.h"
#include "framework/TextFormat.h"
#include "res/resource.h"
#include "tunnel/HostKey.h"
#include "tunnel/PasswordPipe.h"
#include "tunnel/TunnelProcess.h"
#include "tunnel/TunnelText.h"

#include <gmock/gmock.h>

#include <optional>

#include <tlhelp32.h>

namespace {

using testing::EndsWith;
using testing::HasSubstr;
using testing::StartsWith;

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

std::vector<std::wstring> ProcessFilesIn(const std::filesystem::path& folder)
{
    std::vector<std::wstring> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (IsProcessFileName(entry.path().filename().wstring()))
            names.push_back(entry.path().filename().wstring());
    return names;
}

// plink processes of this test run, whether or not they logged their start yet.
int RunningPlinks()
{
    UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    int count = 0;
    for (BOOL more = ::Process32FirstW(snapshot.Get(), &entry); more; more = ::Process32NextW(snapshot.Get(), &entry))
        count += _wcsicmp(entry.szExeFile, L"plink.exe") == 0 ? 1 : 0;
    return count;
}

class TunnelEngineTest : public testing::Test {
protected:
    TunnelEngineTest() { ClearPlinkCalls(); }
    ~TunnelEngineTest() override
    {
        Dlg().m_bConnected = true;  // take down whatever a test left
        Dlg().StopTunnel();
        g_bRetryPromptArmed = false;
    }

    CCorvaneDlg& Dlg() { return dialog->Dialog(); }
    HWND Window() { return Dlg().GetSafeHwnd(); }

    // A user-started launch as the connect command makes it; the monitor's
    // timer is taken over by the test, which drives the ticks itself.
    bool Launch(const std::wstring& user)
    {
        Dlg().m_strUsername = user;
        Dlg().m_strPassword = L"secret";
        const bool launched = Dlg().LaunchTunnel();
        if (launched) {
            Dlg().m_bConnected = true;
            EXPECT_TRUE(::KillTimer(Window(), IDT_TUNNEL_MONITOR)) << "the launch starts the monitor";
        }
        return launched;
    }

    // One tick of the monitor, sent as the timer sends it; true when it
    // re-armed the timer.
    bool Tick()
    {
        ::SendMessageW(Window(), WM_TIMER, IDT_TUNNEL_MONITOR, 0);
        return ::KillTimer(Window(), IDT_TUNNEL_MONITOR) != FALSE;
    }

    bool WaitForTunnelExit()
    {
        return ::WaitForSingleObject(Dlg().m_tunnel.ProcessHandle(), 10000) == WAIT_OBJECT_0;
    }

    std::string HostOfCall(size_t index)
    {
        const std::string command = ReadPlinkCalls().at(index).commandLine;
        return command.substr(command.rfind('@') + 1);
    }

    ScopedTestProfile profile;
    std::optional<MainDialogHarness> dialog{std::in_place};
};

TEST_F(TunnelEngineTest, LaunchHandsPlinkExactlyTheContract)
{
    ASSERT_TRUE(Launch(L"stay1"));
    ASSERT_TRUE(WaitForPlinkCalls(1));
    const PlinkCall call = ReadPlinkCalls().at(0);
    // The password reaches plink once, through a pipe only it could open, and
    // stands on no command line.
    const std::string pipe = Narrow(Dlg().m_strPasswordPipe);
    EXPECT_THAT(pipe, StartsWith(R"(\\.\pipe\Corvane-)"));
    EXPECT_EQ(pipe.size(), 17u + 36u) << "a fresh GUID names it";
    EXPECT_EQ(call.commandLine, "plink -ssh -D 1234 -P 4962 -l stay1 -pwfile " + pipe + " stay1@127.0.0.4");
    EXPECT_EQ(call.password, "secret");
    EXPECT_FALSE(UniqueHandle(::CreateFileW(Dlg().m_strPasswordPipe.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                            0, nullptr)))
        << "the pipe is gone once served";
    EXPECT_TRUE(call.inJob) << "plink runs no instruction outside the job";
    EXPECT_EQ(call.standardInputHex, "0d0a");  // declines any host-key question
    EXPECT_EQ(call.hostKey, Narrow(profile::kHostKey));

    // The seeded cache value: REG_SZ with its NUL, 263 characters.
    wchar_t value[300] = {};
    DWORD type = 0, bytes = sizeof(value);
    ASSERT_EQ(::RegGetValueW(HKEY_CURRENT_USER, kPuttyHostKeysPath, L"rsa2@4962:127.0.0.4", RRF_RT_ANY, &type, value,
                             &bytes),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(bytes, 528u);
    EXPECT_EQ(std::wstring(value), profile::kHostKey);

    EXPECT_EQ(std::filesystem::file_size(Dlg().m_tunnel.InPath()), 2u);  // held open, unshared, by Corvane
    EXPECT_EQ(ProcessFilesIn(dialog->Temp().Path()).size(), 3u);
    EXPECT_TRUE(Dlg().m_tunnel.FilesOpen());
    EXPECT_FALSE(Dlg().m_bReconnecting);

    BOOL inJob = FALSE;
    ::IsProcessInJob(Dlg().m_tunnel.ProcessHandle(), Dlg().m_tunnel.Job(), &inJob);
    EXPECT_TRUE(inJob) << "the tunnel ends with Corvane";

    EXPECT_TRUE(Tick()) << "a live process re-arms the monitor";
    EXPECT_TRUE(Tick());
    EXPECT_EQ(Dlg().m_nMonitorTicks, 2);
}

TEST_F(TunnelEngineTest, SeedingReplacesAStaleKeyAndLeavesOtherHostsAlone)
{
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kPuttyHostKeysPath, L"rsa2@4962:127.0.0.4", REG_SZ, L"0x3,0xbad", 20);
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kPuttyHostKeysPath, L"rsa2@22:example.org", REG_SZ, L"0x3,0x1", 16);
    SeedHostKey(L"127.0.0.4");
    wchar_t value[300] = {};
    DWORD bytes = sizeof(value);
    ::RegGetValueW(HKEY_CURRENT_USER, kPuttyHostKeysPath, L"rsa2@4962:127.0.0.4", RRF_RT_REG_SZ, nullptr, value, &bytes);
    EXPECT_EQ(std::wstring(value), profile::kHostKey);
    bytes = sizeof(value);
    ::RegGetValueW(HKEY_CURRENT_USER, kPuttyHostKeysPath, L"rsa2@22:example.org", RRF_RT_REG_SZ, nullptr, value, &bytes);
    EXPECT_EQ(std::wstring(value), L"0x3,0x1");
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kPuttyHostKeysPath, L"rsa2@22:example.org");
}

TEST_F(TunnelEngineTest, EveryLaunchUsesFreshFilesAndStopSweepsThem)
{
    ASSERT_TRUE(Launch(L"stay2"));
    const std::wstring firstGuid = Dlg().m_tunnel.Guid();
    ASSERT_TRUE(WaitForPlinkCalls(1));
    const unsigned long firstPid = ReadPlinkCalls().at(0).processId;
    Dlg().StopTunnel();
    EXPECT_FALSE(ProcessRuns(firstPid));
    EXPECT_EQ(Dlg().m_tunnel.ProcessHandle(), nullptr);
    EXPECT_FALSE(Dlg().m_bConnected);
    EXPECT_TRUE(ProcessFilesIn(dialog->Temp().Path()).empty());

    Dlg().m_bConnected = false;
    ASSERT_TRUE(Launch(L"stay3"));
    EXPECT_NE(Dlg().m_tunnel.Guid(), firstGuid);
    EXPECT_EQ(Dlg().m_tunnel.Guid().size(), 36u);
}

TEST_F(TunnelEngineTest, StopWithoutATunnelOnlyClearsTheAlternation)
{
    g_bRetryPromptArmed = true;
    WriteFileBytes(dialog->Temp().Path() / L"Process1A2B3C4D-5E6F-7a8b-9C0D-1E2F3A4B5C6D.err", "old");
    Dlg().StopTunnel();
    EXPECT_FALSE(g_bRetryPromptArmed);
    EXPECT_EQ(ProcessFilesIn(dialog->Temp().Path()).size(), 1u) << "no sweep without a tunnel";
}

TEST_F(TunnelEngineTest, TheSweepLeavesOtherProgramsFilesAlone)
{
    const std::filesystem::path temp = dialog->Temp().Path();
    for (const wchar_t* name : {L"Process1A2B3C4D-5E6F-7a8b-9C0D-1E2F3A4B5C6D.err",
                                L"Process1A2B3C4D-5E6F-7a8b-9C0D-1E2F3A4B5C6D.out",
                                L"Process1A2B3C4D-5E6F-7a8b-9C0D-1E2F3A4B5C6D.in", L"Process.err",
                                L"ProcessBackup.err", L"Processes.in"})
        WriteFileBytes(temp / name, "x");
    Dlg().DeleteProcessFiles();
    std::vector<std::wstring> left;
    for (const auto& entry : std::filesystem::directory_iterator(temp))
        left.push_back(entry.path().filename().wstring());
    EXPECT_THAT(left, testing::UnorderedElementsAre(L"Process.err", L"ProcessBackup.err", L"Processes.in"));
}

TEST_F(TunnelEngineTest, AnOutputFileThatCannotBeCreatedLeavesNothingOpen)
{
    Dlg().m_strTempDir = (dialog->Temp().Path() / L"missing").wstring();
    MessageBoxScript boxes;
    EXPECT_FALSE(Launch(L"stay4"));
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].caption, L"Corvane");
    EXPECT_EQ(boxes.Shown()[0].flags, static_cast<UINT>(MB_OK));
    EXPECT_THAT(Narrow(boxes.Shown()[0].text), HasSubstr("missing"));
    EXPECT_EQ(Dlg().m_tunnel.ProcessHandle(), nullptr);
    EXPECT_FALSE(Dlg().m_tunnel.FilesOpen());
    EXPECT_FALSE(Dlg().m_tunnel.ErrorFileOpen());
    EXPECT_FALSE(::KillTimer(Window(), IDT_TUNNEL_MONITOR)) << "no monitor without a process";
}

// A launch that must not go ahead changes nothing and says why.
struct RefusedLaunchCase {
    const char* name;
    const wchar_t* user;
    bool socksPortTaken;
    const wchar_t* message;
};

void PrintTo(const RefusedLaunchCase& c, std::ostream* out)
{
    *out << c.name;
}

class RefusedLaunchTest : public TunnelEngineTest, public testing::WithParamInterface<RefusedLaunchCase> {};

TEST_P(RefusedLaunchTest, ChangesNothingAndSaysWhy)
{
    const RefusedLaunchCase& c = GetParam();
    std::optional<LoopbackHttpServer> socksPortHolder;
    if (c.socksPortTaken) {
        socksPortHolder.emplace(kSocksPort, LoopbackHttpServer::Mode::Stall);
        ASSERT_TRUE(socksPortHolder->Listening());
    }
    MessageBoxScript boxes;
    EXPECT_FALSE(Launch(c.user));
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, c.message);
    EXPECT_EQ(boxes.Shown()[0].caption, L"Corvane");
    EXPECT_TRUE(ReadPlinkCalls().empty()) << "no plink started";
    EXPECT_EQ(Dlg().m_tunnel.ProcessHandle(), nullptr);
    EXPECT_EQ(SystemProxyServer(), L"") << "the proxy stays direct";
    EXPECT_TRUE(ProcessFilesIn(dialog->Temp().Path()).empty());
    EXPECT_FALSE(::KillTimer(Window(), IDT_TUNNEL_MONITOR));
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, RefusedLaunchTest,
    testing::Values(
        // Under Wine every listener's owner reads as unknown.
        RefusedLaunchCase{"SocksPortTaken", L"stay6", true,
                          L"Local port 1234 is already in use by another program.\n\rCorvane needs this port for the "
                          L"secure tunnel. Please close that program and try again."},
        // Values that the credential fields refuse, as a hand-edited profile could still bring them.
        RefusedLaunchCase{"TabSplitsTheUserName", L"stay\t-proxycmd\tcalc.exe", false,
                          L"The username or password cannot be passed safely to the local encryption process."},
        RefusedLaunchCase{"QuoteMergesArguments", L"st\"ay", false,
                          L"The username or password cannot be passed safely to the local encryption process."}),
    [](const testing::TestParamInfo<RefusedLaunchCase>& info) { return info.param.name; });

TEST_F(TunnelEngineTest, ThePasswordPipeServesNoOneButTheChild)
{
    const std::wstring name = PasswordPipeName(MakeGuidString());
    PasswordPipe pipe;
    ASSERT_TRUE(pipe.Create(name));
    PasswordPipe impostor;
    EXPECT_FALSE(impostor.Create(name)) << "a second server instance could read the client's requests";

    UniqueHandle intruder(::CreateFileW(name.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(intruder);
    // The child: a process that never ends, and an id that is not the intruder's.
    const HANDLE child = ::GetCurrentProcess();
    const DWORD childId = ::GetCurrentProcessId() + 4;
    EXPECT_FALSE(pipe.Serve(child, childId, "secret", 2000));
    char buffer[16];
    DWORD read = 0;
    EXPECT_FALSE(::ReadFile(intruder.Get(), buffer, sizeof(buffer), &read, nullptr) && read > 0);

    PasswordPipe unopened;
    ASSERT_TRUE(unopened.Create(PasswordPipeName(MakeGuidString())));
    EXPECT_FALSE(unopened.Serve(child, childId, "secret", 100)) << "a child that never opens the pipe fails the launch";
}

// One row of the monitor's state table: how the first process ends and what
// the user then sees.
struct MonitorCase {
    const char* name;
    const wchar_t* user;
    int ticksBeforeEnd;  // ticks already counted when the ending tick comes
    UINT message;        // 0: none
    const char* errorPart;
};

// Test names and failure messages show the case by its name.
void PrintTo(const MonitorCase& c, std::ostream* out)
{
    *out << c.name;
}

class MonitorTableTest : public TunnelEngineTest, public testing::WithParamInterface<MonitorCase> {};

TEST_P(MonitorTableTest, AnEndedTunnelLeadsToItsMessageAndTheDisconnectedState)
{
    const MonitorCase& c = GetParam();
    ASSERT_TRUE(Launch(c.user));
    ASSERT_TRUE(WaitForTunnelExit());
    Dlg().m_nMonitorTicks = c.ticksBeforeEnd;
    MessageBoxScript boxes;
    EXPECT_FALSE(Tick()) << "the monitor does not re-arm after giving up";

    ASSERT_EQ(boxes.Shown().size(), 1u);
    const std::wstring template_ = LoadStringResource(c.message);
    const std::wstring tail = template_.substr(template_.find(L"%s") + 2);
    EXPECT_THAT(Narrow(boxes.Shown()[0].text), HasSubstr(c.errorPart));
    EXPECT_THAT(Narrow(boxes.Shown()[0].text), EndsWith(Narrow(tail)));
    EXPECT_EQ(boxes.Shown()[0].flags, static_cast<UINT>(MB_OK));
    EXPECT_EQ(boxes.Shown()[0].caption, L"Corvane");
    EXPECT_FALSE(Dlg().m_bConnected);
    EXPECT_EQ(Dlg().m_btnConnect.GetWindowText(), L"Connect");
    EXPECT_EQ(Dlg().m_tunnel.ProcessHandle(), nullptr);
    EXPECT_TRUE(ProcessFilesIn(dialog->Temp().Path()).empty());
    EXPECT_TRUE(Dlg().IsWindowVisible());
}

INSTANTIATE_TEST_SUITE_P(
    States, MonitorTableTest,
    testing::Values(MonitorCase{"LoginRefused", L"deny1", 0, IDS_LOGIN_REFUSED, "Access denied"},
                    MonitorCase{"ServerClosed", L"closed1", 0, IDS_SERVER_CLOSED, "Remote side unexpectedly closed"},
                    MonitorCase{"OlderPlinkServerClosed", L"oldclosed1", 0, IDS_SERVER_CLOSED,
                                "Server unexpectedly closed"},
                    MonitorCase{"ClosedOnTheLastGraceTick", L"closed2", 89, IDS_SERVER_CLOSED, "unexpectedly"}),
    [](const testing::TestParamInfo<MonitorCase>& info) { return info.param.name; });

TEST_F(TunnelEngineTest, ADropAfterTheLoginGraceRelaunchesSilently)
{
    ASSERT_TRUE(Launch(L"closed3"));
    ASSERT_TRUE(WaitForTunnelExit());
    Dlg().m_nMonitorTicks = 90;  // the ending tick is the 91st
    MessageBoxScript boxes;
    EXPECT_TRUE(Tick()) << "relaunched";
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_TRUE(Dlg().m_bReconnecting);
    EXPECT_EQ(Dlg().m_nMonitorTicks, 0);
    ASSERT_TRUE(WaitForPlinkCalls(2));
    EXPECT_EQ(HostOfCall(1), "127.0.0.4");

    // The relaunched process ends too, within its grace: its own error file
    // is not read, so the first text is reported, as a lost network.
    ASSERT_TRUE(WaitForTunnelExit());
    EXPECT_FALSE(Tick());
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_THAT(Narrow(boxes.Shown()[0].text), HasSubstr("Remote side unexpectedly closed"));
    EXPECT_THAT(Narrow(boxes.Shown()[0].text), EndsWith("Please check your network connection."));
}

TEST_F(TunnelEngineTest, OtherFailuresAlternateBetweenTheSecondServerAndTheRetryQuestion)
{
    ASSERT_TRUE(Launch(L"silent1"));
    ASSERT_TRUE(WaitForTunnelExit());
    MessageBoxScript boxes({IDRETRY, IDCANCEL});

    EXPECT_TRUE(Tick()) << "first failure: silent relaunch";
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_TRUE(g_bRetryPromptArmed);
    EXPECT_EQ(Dlg().m_strLastError, LoadStringResource(IDS_UNEXPECTED_ERROR));
    // The second entry of a row names the same server as the first.
    EXPECT_EQ(Dlg().m_cboServer.GetItemData(1), 5);
    ASSERT_TRUE(WaitForPlinkCalls(2));
    EXPECT_EQ(HostOfCall(1), "127.0.0.4");

    ASSERT_TRUE(WaitForTunnelExit());
    EXPECT_TRUE(Tick()) << "second failure: Retry relaunches";
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, LoadStringResource(IDS_UNABLE_TO_CONNECT));
    EXPECT_EQ(boxes.Shown()[0].flags, static_cast<UINT>(MB_RETRYCANCEL));
    EXPECT_FALSE(g_bRetryPromptArmed);
    ASSERT_TRUE(WaitForPlinkCalls(3));
    EXPECT_EQ(HostOfCall(2), "127.0.0.4") << "back on the first entry";

    ASSERT_TRUE(WaitForTunnelExit());
    EXPECT_TRUE(Tick()) << "third failure: silent again";
    ASSERT_TRUE(WaitForPlinkCalls(4));
    ASSERT_TRUE(WaitForTunnelExit());
    EXPECT_FALSE(Tick()) << "fourth failure: Cancel gives up";
    EXPECT_EQ(boxes.Shown().size(), 2u) << "no message after Cancel";
    EXPECT_FALSE(Dlg().m_bConnected);
    EXPECT_FALSE(g_bRetryPromptArmed);
    EXPECT_EQ(Dlg().m_btnConnect.GetWindowText(), L"Connect");
}

// A tray or installer command that comes while the monitor's Retry question
// is open (posted by the answer, which lets the box's loop run as the real
// box would) waits until the tick has ended, then runs on a consistent state.
struct RetryRaceCase {
    const char* name;
    UINT command;
    bool connected;  // after the command
    bool ends;       // the dialog ends
};

void PrintTo(const RetryRaceCase& c, std::ostream* out)
{
    *out << c.name;
}

class RetryRaceTest : public TunnelEngineTest, public testing::WithParamInterface<RetryRaceCase> {};

TEST_P(RetryRaceTest, ACommandDuringTheRetryQuestionWaitsForTheTick)
{
    const RetryRaceCase& c = GetParam();
    settings::WriteInt(settings::kEnableSwitchSrvrMessage, 0);
    ASSERT_TRUE(Launch(L"silent-race"));
    ASSERT_TRUE(WaitForTunnelExit());
    g_bRetryPromptArmed = true;  // this failure asks
    ScopedSeam<MessageBoxHandler> retry(seams::messageBox, [&](const MessageBoxRequest&) {
        Dlg().m_strUsername = L"stay-race";  // what starts from now on stays up
        ::PostMessageW(Window(), WM_COMMAND, c.command, 0);
        PumpMessages();
        EXPECT_EQ(ReadPlinkCalls().size(), 1u) << "nothing ran inside the question";
        return IDRETRY;
    });
    ::SendMessageW(Window(), WM_TIMER, IDT_TUNNEL_MONITOR, 0);
    EXPECT_TRUE(WaitFor([&] { return !c.ends || !Window(); }, 5000));

    EXPECT_EQ(Dlg().m_bConnected, c.connected);
    EXPECT_EQ(Dlg().m_tunnel.ProcessHandle() != nullptr, c.connected);
    EXPECT_EQ(SystemProxyServer(), c.connected ? L"socks=localhost:1234" : L"");
    EXPECT_EQ(RunningPlinks(), c.connected ? 1 : 0);
    if (!c.ends) {
        EXPECT_EQ(Dlg().m_btnConnect.GetWindowText(), c.connected ? L"Disconnect" : L"Connect");
        EXPECT_EQ(::KillTimer(Window(), IDT_TUNNEL_MONITOR) != FALSE, c.connected) << "the monitor's timer";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Commands, RetryRaceTest,
    testing::Values(RetryRaceCase{"TrayDisconnect", ID_DISCONNECT, false, false},
                    RetryRaceCase{"TrayLocation", ID_LOCATION_FIRST, true, false},
                    RetryRaceCase{"InstallerEnd", ID_END_DIALOG, false, true}),
    [](const testing::TestParamInfo<RetryRaceCase>& info) { return info.param.name; });

TEST_F(TunnelEngineTest, AHostKeyQuestionIsDeclinedAndTheServerNeverGetsThePassword)
{
    ASSERT_TRUE(Launch(L"otherkey1"));
    ASSERT_TRUE(WaitForTunnelExit());
    ASSERT_TRUE(WaitForPlinkCalls(1));
    EXPECT_EQ(ReadPlinkCalls().at(0).answer, "abandoned");
    const std::wstring firstInput = Dlg().m_tunnel.InPath();
    MessageBoxScript boxes;
    EXPECT_TRUE(Tick()) << "an emptied text takes the silent relaunch";
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_EQ(ReadFileBytes(firstInput), "y");
}

TEST_F(TunnelEngineTest, EndOfSessionStopsOnlyAConnectedTunnel)
{
    Dlg().OnEndSession(TRUE, 0);
    EXPECT_FALSE(Dlg().m_bConnected);

    ASSERT_TRUE(Launch(L"stay5"));
    ASSERT_TRUE(WaitForPlinkCalls(1));
    const unsigned long pid = ReadPlinkCalls().at(0).processId;
    Dlg().OnEndSession(TRUE, 0);
    EXPECT_FALSE(Dlg().m_bConnected);
    EXPECT_FALSE(ProcessRuns(pid));
    EXPECT_TRUE(ProcessFilesIn(dialog->Temp().Path()).empty());
}

}  // namespace
