// The tunnel engine in-process against the plink double (plink.exe beside
// this executable): launch, host-key seeding, the monitor's ticks driven by
// calling the handler, stop and sweep. The user name chooses the double's
// scenario. The monitor's decisions themselves are tested natively.
#include "InternetSettingsDenial.h"
#include "LoopbackHttpServer.h"
#include "PlinkDoubleLog.h"
#include "TestSupport.h"

#include "ServiceProfile.h"
#include "app/Settings.h"
#include "framework/Handles.h"
#include "res/resource.h"
#include "tunnel/HostKey.h"
#include "tunnel/PasswordPipe.h"
#include "tunnel/TunnelProcess.h"
#include "tunnel/TunnelText.h"

#include <gmock/gmock.h>

#include <tlhelp32.h>

namespace {

size_t ProcessFilesIn(const std::filesystem::path& folder)
{
    size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        count += IsProcessFileName(entry.path().filename().wstring()) ? 1 : 0;
    return count;
}

// plink processes of this test run, whether or not they logged their start yet.
int RunningPlinks()
{
    const UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
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
    }

    CCorvaneDlg& Dlg() { return dialog.Dialog(); }

    // Connects as the button does; the test takes over the monitor's timer and drives the ticks itself.
    bool Connect(const std::wstring& user)
    {
        Dlg().m_strUsername = user;
        Dlg().m_strPassword = L"secret";
        dialog.Command(IDC_CONNECT);
        EXPECT_EQ(::KillTimer(Dlg().GetSafeHwnd(), IDT_TUNNEL_MONITOR) != FALSE, Dlg().m_bConnected) << "the monitor";
        return Dlg().m_bConnected;
    }

    // One tick of the monitor, sent as the timer sends it, once the process has ended; true when it re-armed.
    bool TickAfterTheEnd(int ticksBefore = 0)
    {
        EXPECT_TRUE(ProcessEndsWithin(Dlg().m_tunnel.ProcessHandle(), 10000));
        Dlg().m_nMonitorTicks = ticksBefore;
        ::SendMessageW(Dlg().GetSafeHwnd(), WM_TIMER, IDT_TUNNEL_MONITOR, 0);
        return ::KillTimer(Dlg().GetSafeHwnd(), IDT_TUNNEL_MONITOR) != FALSE;
    }

    // Nothing of a tunnel is left and the user can connect again.
    void ExpectAllUndone()
    {
        EXPECT_FALSE(Dlg().m_bConnected);
        EXPECT_EQ(Dlg().m_btnConnect.GetWindowText(), L"Connect");
        EXPECT_EQ(Dlg().m_tunnel.ProcessHandle(), nullptr);
        EXPECT_TRUE(WaitFor([] { return RunningPlinks() == 0; }, 5000)) << "plink ended";
        EXPECT_EQ(SystemProxyServer(), L"") << "the proxy is direct";
        EXPECT_FALSE(ReadRegString(L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", L"Corvane"));
        EXPECT_FALSE(::KillTimer(Dlg().GetSafeHwnd(), IDT_TUNNEL_MONITOR)) << "the monitor is off";
    }

    ScopedTestProfile profile;
    MainDialogHarness dialog;
};

TEST_F(TunnelEngineTest, LaunchHandsPlinkExactlyTheContract)
{
    // A stale cached key would make plink ask; the launch replaces it.
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kPuttyHostKeysPath, L"rsa2@4962:127.0.0.4", REG_SZ, L"0x3,0xbad", 20);
    ASSERT_TRUE(Connect(L"stay1"));
    ASSERT_TRUE(WaitForPlinkCalls(1));
    const PlinkCall call = ReadPlinkCalls().at(0);
    // The password reaches plink once, through a pipe named by a fresh GUID, and stands on no command line.
    const std::string pipe(Dlg().m_strPasswordPipe.begin(), Dlg().m_strPasswordPipe.end());
    EXPECT_THAT(pipe, testing::StartsWith(R"(\\.\pipe\Corvane-)"));
    EXPECT_EQ(pipe.size(), 17u + 36u);
    EXPECT_EQ(call.commandLine, "plink -ssh -D 1234 -P 4962 -l stay1 -pwfile " + pipe + " stay1@127.0.0.4");
    EXPECT_EQ(call.password, "secret");
    EXPECT_EQ(call.standardInputHex, "0d0a") << "declines any host-key question";
    EXPECT_TRUE(call.inJob) << "plink runs no instruction outside the job, so it ends with Corvane";
    const std::wstring key = profile::kHostKey;
    EXPECT_EQ(call.hostKey, std::string(key.begin(), key.end()));
    // The seeded value: REG_SZ with its NUL, 263 characters.
    wchar_t value[300] = {};
    DWORD type = 0, bytes = sizeof(value);
    ::RegGetValueW(HKEY_CURRENT_USER, kPuttyHostKeysPath, L"rsa2@4962:127.0.0.4", RRF_RT_ANY, &type, value, &bytes);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(bytes, 528u);
    EXPECT_EQ(value, key);
    EXPECT_EQ(ProcessFilesIn(dialog.Temp().Path()), 3u);
    EXPECT_EQ(SystemProxyServer(), L"socks=localhost:1234");
}

TEST_F(TunnelEngineTest, TheSweepLeavesOtherProgramsFilesAlone)
{
    const std::filesystem::path temp = dialog.Temp().Path();
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

// A launch that must not go ahead, or whose switch of the system proxy fails,
// says why and leaves nothing running behind a disconnected dialog.
TEST_F(TunnelEngineTest, RefusedOrFailedLaunchesSayWhyAndLeaveNothing)
{
    const wchar_t* const unsafe = L"The username or password cannot be passed safely to the local encryption process.";
    enum class Cause { None, SocksPortHeld, ProxyDenied };
    // message: the start of the box's text.
    struct Row { const wchar_t* user; Cause cause; const wchar_t* message; };
    const Row rows[] = {
        // Under Wine every listener's owner reads as unknown.
        {L"stay6", Cause::SocksPortHeld,
         L"Local port 1234 is already in use by another program.\n\rCorvane needs this port for the secure tunnel. "
         L"Please close that program and try again."},
        // Values the credential fields refuse, as a hand-edited profile could still bring them.
        {L"stay\t-proxycmd\tcalc.exe", Cause::None, unsafe},  // splits the user name into arguments
        {L"st\"ay", Cause::None, unsafe},                     // merges arguments
        {L"stay7", Cause::ProxyDenied, L"Corvane must be executed with Administrator privileges.\n\r"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(row.user)));
        std::optional<LoopbackHttpServer> holder;
        std::optional<InternetSettingsDenial> denial;
        if (row.cause == Cause::SocksPortHeld) {
            ASSERT_TRUE(holder.emplace(kSocksPort, LoopbackHttpServer::Mode::Hold).Listening());
        }
        if (row.cause == Cause::ProxyDenied) {
            ASSERT_TRUE(denial.emplace().Active());
        }
        MessageBoxScript boxes;
        EXPECT_FALSE(Connect(row.user));
        denial.reset();
        ASSERT_EQ(boxes.Shown().size(), 1u);
        // The system's own text for error 5 follows the denial's line.
        EXPECT_THAT(boxes.Shown()[0].text, testing::StartsWith(row.message));
        EXPECT_EQ(boxes.Shown()[0].text.size() == wcslen(row.message), row.cause != Cause::ProxyDenied);
        EXPECT_EQ(boxes.Shown()[0].caption, L"Corvane");
        if (row.cause != Cause::ProxyDenied) {
            EXPECT_TRUE(ReadPlinkCalls().empty()) << "no plink started";
        }
        EXPECT_EQ(ProcessFilesIn(dialog.Temp().Path()), 0u);
        ExpectAllUndone();
    }
}

// The monitor's wiring: a tunnel that ended shows its box and gives up.
TEST_F(TunnelEngineTest, ARefusedLoginGivesUpWithItsMessage)
{
    ASSERT_TRUE(Connect(L"deny1"));
    MessageBoxScript boxes;
    EXPECT_FALSE(TickAfterTheEnd());
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text,
              L"Using username \"deny1\".\r\nAccess denied\r\nFATAL ERROR: Configured password was not accepted\r\n"
              L"\n\rPlease verify your username and password.");
    EXPECT_EQ(boxes.Shown()[0].flags, static_cast<UINT>(MB_OK));
    EXPECT_TRUE(Dlg().IsWindowVisible());
    EXPECT_EQ(ProcessFilesIn(dialog.Temp().Path()), 0u) << "swept";
    ExpectAllUndone();
}

// plink's host-key question is declined, so the server never gets the
// password; the emptied text takes the silent relaunch.
TEST_F(TunnelEngineTest, AHostKeyQuestionIsDeclined)
{
    ASSERT_TRUE(Connect(L"otherkey1"));
    const std::wstring firstInput = Dlg().m_tunnel.InPath();
    MessageBoxScript boxes;
    EXPECT_TRUE(TickAfterTheEnd());
    EXPECT_EQ(ReadPlinkCalls().at(0).answer, "abandoned");
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_EQ(ReadFileBytes(firstInput), "y");
}

// A drop after the login grace is relaunched without a word; when the relaunch
// of a failed tunnel cannot start, the monitor gives up and takes everything back.
TEST_F(TunnelEngineTest, TheMonitorRelaunchesAndGivesUpWhenTheRelaunchFails)
{
    ASSERT_TRUE(Connect(L"closed3"));
    MessageBoxScript boxes;
    EXPECT_TRUE(TickAfterTheEnd(90));  // the ending tick is the 91st
    EXPECT_TRUE(Dlg().m_bReconnecting);
    ASSERT_TRUE(WaitForPlinkCalls(2));
    EXPECT_THAT(ReadPlinkCalls().at(1).commandLine, testing::EndsWith("@127.0.0.4"));
    EXPECT_NE(ReadPlinkCalls().at(1).commandLine, ReadPlinkCalls().at(0).commandLine) << "a fresh pipe each launch";
    EXPECT_TRUE(boxes.Shown().empty());

    Dlg().StopTunnel();
    ClearPlinkCalls();
    ASSERT_TRUE(Connect(L"silent2"));
    Dlg().m_strTempDir = (dialog.Temp().Path() / L"gone").wstring();  // no process files can be made
    EXPECT_FALSE(TickAfterTheEnd());
    ASSERT_EQ(boxes.Shown().size(), 2u) << "the file's own error, then the monitor's";
    EXPECT_EQ(boxes.Shown()[1].text, L"Unable to re-connect to server '127.0.0.4'.");
    EXPECT_EQ(ReadPlinkCalls().size(), 1u);
    ExpectAllUndone();
}

// A tray or installer command that comes while the monitor's Retry question is
// open (posted by the answer, which lets the box's loop run as the real box
// would) waits until the tick has ended, then runs on a consistent state.
TEST_F(TunnelEngineTest, ACommandDuringTheRetryQuestionWaitsForTheTick)
{
    settings::WriteInt(settings::kEnableSwitchSrvrMessage, 0);
    struct Row { UINT command; bool connected; bool ends; };
    for (const Row row : {Row{ID_DISCONNECT, false, false}, Row{ID_LOCATION_FIRST, true, false},
                          Row{ID_END_DIALOG, false, true}}) {
        SCOPED_TRACE(row.command);
        Dlg().StopTunnel();
        ClearPlinkCalls();
        ASSERT_TRUE(Connect(L"silent-race"));
        ASSERT_TRUE(ProcessEndsWithin(Dlg().m_tunnel.ProcessHandle(), 10000));
        g_bRetryPromptArmed = true;  // this failure asks
        ScopedSeam<MessageBoxHandler> retry(seams::messageBox, [&](const MessageBoxRequest&) {
            Dlg().m_strUsername = L"stay-race";  // what starts from now on stays up
            ::PostMessageW(Dlg().GetSafeHwnd(), WM_COMMAND, row.command, 0);
            PumpMessages();
            EXPECT_EQ(ReadPlinkCalls().size(), 1u) << "nothing ran inside the question";
            return IDRETRY;
        });
        ::SendMessageW(Dlg().GetSafeHwnd(), WM_TIMER, IDT_TUNNEL_MONITOR, 0);
        EXPECT_TRUE(WaitFor([&] { return !row.ends || !Dlg().GetSafeHwnd(); }, 5000));
        EXPECT_EQ(Dlg().m_bConnected, row.connected);
        EXPECT_EQ(SystemProxyServer(), row.connected ? L"socks=localhost:1234" : L"");
        EXPECT_TRUE(WaitFor([&] { return RunningPlinks() == (row.connected ? 1 : 0); }, 5000));
        if (!row.ends) {
            EXPECT_EQ(Dlg().m_btnConnect.GetWindowText(), row.connected ? L"Disconnect" : L"Connect");
            EXPECT_EQ(::KillTimer(Dlg().GetSafeHwnd(), IDT_TUNNEL_MONITOR) != FALSE, row.connected) << "the monitor";
        }
    }
}

TEST(PasswordPipeTest, ThePipeServesNoOneButTheChild)
{
    const std::wstring name = PasswordPipeName(MakeGuidString());
    PasswordPipe pipe, impostor;
    ASSERT_TRUE(pipe.Create(name));
    EXPECT_FALSE(impostor.Create(name)) << "a second server instance could read the client's requests";
    const UniqueHandle intruder(::CreateFileW(name.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(intruder);
    // The child: a process that never ends, and an id that is not the intruder's.
    const DWORD childId = ::GetCurrentProcessId() + 4;
    EXPECT_FALSE(pipe.Serve(::GetCurrentProcess(), childId, "secret", 2000));
    char buffer[16];
    DWORD read = 0;
    EXPECT_FALSE(::ReadFile(intruder.Get(), buffer, sizeof(buffer), &read, nullptr) && read > 0);
    PasswordPipe unopened;
    ASSERT_TRUE(unopened.Create(PasswordPipeName(MakeGuidString())));
    EXPECT_FALSE(unopened.Serve(::GetCurrentProcess(), childId, "secret", 100)) << "a child that never opens it fails";
}

}  // namespace
