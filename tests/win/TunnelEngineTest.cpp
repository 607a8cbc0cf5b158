// The tunnel engine in-process against the plink double (plink.exe beside
// this executable): launch, host-key seeding, the monitor's ticks driven by
// calling the handler, stop and sweep. The user name chooses the double's
// scenario. The monitor's decisions themselves are tested natively.
#include "InternetSettingsDenial.h"
#include "LoopbackHttpServer.h"
#include "PlinkDoubleLog.h"

#include "ServiceProfile.h"
#include "app/Settings.h"
#include "res/resource.h"
#include "tunnel/PasswordPipe.h"

#include <gmock/gmock.h>

#include <regex>
#include <tlhelp32.h>

namespace {

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
    bool TickAfterTheEnd()
    {
        EXPECT_TRUE(ProcessEndsWithin(Dlg().m_tunnel.ProcessHandle(), 10000));
        ::SendMessageW(Dlg().GetSafeHwnd(), WM_TIMER, IDT_TUNNEL_MONITOR, 0);
        return ::KillTimer(Dlg().GetSafeHwnd(), IDT_TUNNEL_MONITOR) != FALSE;
    }

    // What the dialog and the system show, once a running tunnel has its one plink and a stopped one none.
    std::wstring State()
    {
        const int plinks = Dlg().m_bConnected ? 1 : 0;
        WaitFor([&] { return RunningPlinks() == plinks; }, 5000);
        int files = 0;
        for (const auto& entry : std::filesystem::directory_iterator(dialog.Temp().Path()))
            files += entry.path().filename().wstring().starts_with(L"Process") ? 1 : 0;
        return std::wstring(Dlg().m_bConnected ? L"connected" : L"disconnected") + L", " +
               (Dlg().GetSafeHwnd() ? Dlg().m_btnConnect.GetWindowText() : L"ended") +
               (::KillTimer(Dlg().GetSafeHwnd(), IDT_TUNNEL_MONITOR) ? L", monitor" : L"") + L", plinks " +
               std::to_wstring(RunningPlinks()) + L", proxy '" + SystemProxyServer() + L"', -r " +
               (ReadRegString(L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", L"Corvane") ? L"on" : L"off") +
               L", files " + std::to_wstring(files);
    }
    static constexpr const wchar_t* kAllUndone = L"disconnected, Connect, plinks 0, proxy '', -r off, files 0";

    ScopedTestProfile profile;
    MainDialogHarness dialog;
};

TEST_F(TunnelEngineTest, LaunchHandsPlinkExactlyTheContract)
{
    // A stale cached key would make plink ask; the launch replaces it.
    ::RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\SimonTatham\\PuTTY\\SshHostKeys", L"rsa2@4962:127.0.0.4", REG_SZ, L"0x3,0xbad", 20);
    ASSERT_TRUE(Connect(L"stay1"));
    ASSERT_TRUE(WaitForPlinkCalls(1));
    const PlinkCall call = ReadPlinkCalls().at(0);
    // The password reaches plink once, through a pipe named by a fresh GUID, and stands on no command line.
    EXPECT_TRUE(std::regex_match(call.commandLine, std::regex(R"(plink -ssh -load Corvane-Tunnel -noagent -D 1234 -P 4962 -l stay1 -pwfile )"
                                                              R"(\\\\\.\\pipe\\Corvane-[0-9A-Fa-f-]{36} stay1@127\.0\.0\.4)")))
        << call.commandLine;
    EXPECT_EQ(call.password, "secret");
    EXPECT_EQ(call.standardInputHex, "0d0a") << "declines any host-key question";
    EXPECT_TRUE(call.inJob) << "plink runs no instruction outside the job, so it ends with Corvane";
    EXPECT_EQ(std::wstring(call.hostKey.begin(), call.hostKey.end()), profile::kHostKey);
    // The seeded value: REG_SZ with its NUL, 263 characters.
    wchar_t value[300] = {};
    DWORD type = 0, bytes = sizeof(value);
    ::RegGetValueW(HKEY_CURRENT_USER, L"Software\\SimonTatham\\PuTTY\\SshHostKeys", L"rsa2@4962:127.0.0.4", RRF_RT_ANY, &type, value, &bytes);
    EXPECT_EQ(std::to_wstring(type) + L" " + std::to_wstring(bytes) + L" " + value, L"1 528 " + std::wstring(profile::kHostKey));
    EXPECT_EQ(State(), L"connected, Disconnect, plinks 1, proxy 'socks=localhost:1234', -r on, files 3");
}

TEST_F(TunnelEngineTest, TheSweepLeavesOtherProgramsFilesAlone)
{
    const std::filesystem::path temp = dialog.Temp().Path();
    for (const wchar_t* name : {L"Process1A2B3C4D-5E6F-7a8b-9C0D-1E2F3A4B5C6D.err", L"Process1A2B3C4D-5E6F-7a8b-9C0D-1E2F3A4B5C6D.out",
                                L"Process1A2B3C4D-5E6F-7a8b-9C0D-1E2F3A4B5C6D.in", L"ProcessBackup.err", L"Processes.in"})
        WriteBytes(temp / name, "x");
    Dlg().DeleteProcessFiles();
    EXPECT_TRUE(std::filesystem::exists(temp / L"ProcessBackup.err") && std::filesystem::exists(temp / L"Processes.in"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp), {}), 2);
}

// A launch that must not go ahead, or whose switch of the system proxy fails,
// says why and leaves nothing running behind a disconnected dialog.
TEST_F(TunnelEngineTest, RefusedOrFailedLaunchesSayWhyAndLeaveNothing)
{
    const wchar_t* const unsafe = L"The username or password cannot be passed safely to the local encryption process.";
    // Under Wine every listener's owner reads as unknown.
    const std::tuple<const wchar_t*, bool, bool, const wchar_t*> rows[] = {  // user, port held, proxy denied, message
        {L"stay6", true, false, L"Local port 1234 is already in use by another program.\n\rCorvane needs this port for the "
                                L"secure tunnel. Please close that program and try again."},
        // Values the credential fields refuse, as a hand-edited profile could still bring them.
        {L"stay\t-proxycmd\tcalc.exe", false, false, unsafe},  // splits the user name into arguments
        {L"st\"ay", false, false, unsafe},                     // merges arguments
        {L"stay7", false, true, L"Corvane must be executed with Administrator privileges.\n\r"},
    };
    for (const auto& [user, portHeld, proxyDenied, message] : rows) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(user)));
        std::optional<LoopbackHttpServer> holder;
        std::optional<InternetSettingsDenial> denial;
        ASSERT_TRUE(!portHeld || holder.emplace(1234, LoopbackHttpServer::Mode::Hold).Listening());
        ASSERT_TRUE(!proxyDenied || denial.emplace().Active());
        MessageBoxScript boxes;
        EXPECT_FALSE(Connect(user));
        ASSERT_EQ(boxes.Shown().size(), 1u);
        // The system's own text for error 5 follows the denial's line.
        EXPECT_EQ(boxes.Shown()[0].caption + L": " + boxes.Shown()[0].text.substr(0, proxyDenied ? wcslen(message) : std::wstring::npos),
                  L"Corvane: " + std::wstring(message));
        EXPECT_EQ(boxes.Shown()[0].text.size() > wcslen(message), proxyDenied);
        EXPECT_TRUE(proxyDenied || ReadPlinkCalls().empty()) << "no plink started";
        EXPECT_EQ(State(), kAllUndone);
    }
}

// A declined host-key question (so the server never gets the password; the
// emptied text answers "y" next time) is relaunched without a word and with a
// fresh pipe; when the relaunch of a failed tunnel cannot start, the monitor
// gives up and takes everything back. The real chain shows the other endings.
TEST_F(TunnelEngineTest, TheMonitorRelaunchesAndGivesUpWhenTheRelaunchFails)
{
    ASSERT_TRUE(Connect(L"otherkey1"));
    const std::wstring firstInput = Dlg().m_tunnel.InPath();
    MessageBoxScript boxes;
    EXPECT_TRUE(TickAfterTheEnd());
    ASSERT_TRUE(WaitForPlinkCalls(2));
    const std::vector<PlinkCall> calls = ReadPlinkCalls();
    EXPECT_EQ(calls[0].answer, "abandoned");
    EXPECT_EQ(ReadBytes(firstInput), "y");
    EXPECT_THAT(calls[1].commandLine, testing::EndsWith("@127.0.0.4"));
    EXPECT_NE(calls[1].commandLine, calls[0].commandLine) << "a fresh pipe each launch";
    EXPECT_TRUE(boxes.Shown().empty());

    Dlg().StopTunnel();
    ClearPlinkCalls();
    ASSERT_TRUE(Connect(L"silent2"));
    Dlg().m_strTempDir = (dialog.Temp().Path() / L"gone").wstring();  // no process files can be made
    EXPECT_FALSE(TickAfterTheEnd());
    ASSERT_EQ(boxes.Shown().size(), 2u) << "the file's own error, then the monitor's";
    EXPECT_EQ(boxes.Shown()[1].text, L"Unable to re-connect to server '127.0.0.4'.");
    EXPECT_EQ(ReadPlinkCalls().size(), 1u);
    // The first launch's files stay where the test moved the folder away from.
    EXPECT_EQ(State(), L"disconnected, Connect, plinks 0, proxy '', -r off, files 2");
}

// A tray or installer command that comes while the monitor's Retry question is
// open (posted by the answer, which lets the box's loop run as the real box
// would) waits until the tick has ended, then runs on a consistent state.
TEST_F(TunnelEngineTest, ACommandDuringTheRetryQuestionWaitsForTheTick)
{
    settings::WriteInt(settings::kEnableSwitchSrvrMessage, 0);
    const std::pair<UINT, const wchar_t*> rows[] = {
        {ID_DISCONNECT, kAllUndone},
        {ID_LOCATION_FIRST, L"connected, Disconnect, monitor, plinks 1, proxy 'socks=localhost:1234', -r on, files 3"},
        {ID_END_DIALOG, L"disconnected, ended, plinks 0, proxy '', -r off, files 0"},
    };
    for (const auto& [command, state] : rows) {
        SCOPED_TRACE(command);
        Dlg().StopTunnel();
        ClearPlinkCalls();
        ASSERT_TRUE(Connect(L"silent-race"));
        ASSERT_TRUE(ProcessEndsWithin(Dlg().m_tunnel.ProcessHandle(), 10000));
        g_bRetryPromptArmed = true;  // this failure asks
        ScopedSeam<MessageBoxHandler> retry(seams::messageBox, [&](const MessageBoxRequest&) {
            Dlg().m_strUsername = L"stay-race";  // what starts from now on stays up
            ::PostMessageW(Dlg().GetSafeHwnd(), WM_COMMAND, command, 0);
            PumpMessages();
            EXPECT_EQ(ReadPlinkCalls().size(), 1u) << "nothing ran inside the question";
            return IDRETRY;
        });
        ::SendMessageW(Dlg().GetSafeHwnd(), WM_TIMER, IDT_TUNNEL_MONITOR, 0);
        EXPECT_TRUE(WaitFor([&] { return command != ID_END_DIALOG || !Dlg().GetSafeHwnd(); }, 5000));
        EXPECT_EQ(State(), state);
    }
}

TEST(PasswordPipeTest, ThePipeServesNoOneButTheChild)
{
    const std::wstring name = L"\\\\.\\pipe\\Corvane-" + MakeGuidString();
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
}

}  // namespace
