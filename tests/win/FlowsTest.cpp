// The connect, disconnect, switch and exit flows in the real main dialog
// against the plink double, with the warnings answered through the modal seam
// and browsers played by sleeper copies.
#include "BrowserStandIns.h"
#include "PlinkDoubleLog.h"
#include "TestSupport.h"

#include "app/Settings.h"
#include "browsers/WarningDialogs.h"
#include "framework/Strings.h"
#include "res/resource.h"
#include "tunnel/TunnelText.h"

#include <gmock/gmock.h>

#include <optional>
#include <stdexcept>

namespace {

// Answers every warning with `answer`, ticking its "do not show" box first
// when `tick` is set, as the user would in the real dialog.
std::function<INT_PTR(CDialog&)> AnswerWarnings(INT_PTR answer, bool tick = false)
{
    return [answer, tick](CDialog& dialog) {
        const bool showAgain = !tick;
        if (auto* browser = dynamic_cast<CDlgBrowserMessage*>(&dialog); browser && answer == IDOK)
            browser->m_bShowAgain = showAgain;
        if (auto* exit = dynamic_cast<CDlgExitMessage*>(&dialog); exit && answer == IDOK)
            exit->m_bShowAgain = showAgain;
        if (auto* sw = dynamic_cast<CDlgSwitchSrvrMessage*>(&dialog))
            sw->m_bShowAgain = showAgain;  // recorded on either answer
        return answer;
    };
}

class FlowsTest : public testing::Test {
protected:
    FlowsTest() { ClearPlinkCalls(); }
    ~FlowsTest() override
    {
        if (dialog && Dlg().GetSafeHwnd() && Dlg().m_bConnected)
            Dlg().StopTunnel();
        g_bRetryPromptArmed = false;
    }

    CCorvaneDlg& Dlg() { return dialog->Dialog(); }
    HWND Window() { return Dlg().GetSafeHwnd(); }

    void Type(const std::wstring& user, const std::wstring& password = L"secret")
    {
        ::SetWindowTextW(Dlg().GetDlgItem(IDC_USERNAME), user.c_str());
        ::SetWindowTextW(Dlg().GetDlgItem(IDC_PASSWORD), password.c_str());
        PumpMessages();
    }

    // Connected through the button, no browser running, the monitor's timer
    // taken over by the test.
    void ConnectQuietly(const std::wstring& user = L"stay-flows")
    {
        Type(user);
        ModalScript none([](CDialog&) { return static_cast<INT_PTR>(IDCANCEL); });
        dialog->Command(IDC_CONNECT);
        ::KillTimer(Window(), IDT_TUNNEL_MONITOR);
        ASSERT_TRUE(Dlg().m_bConnected);
        ASSERT_TRUE(none.Shown().empty());
    }

    void PickLocation(int index)
    {
        ::SendMessageW(Dlg().GetDlgItem(IDC_LOCATION), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        dialog->Command(IDC_LOCATION, CBN_SELCHANGE);
        ::KillTimer(Window(), IDT_TUNNEL_MONITOR);
    }

    std::wstring Caption() { return Dlg().m_btnConnect.GetWindowText(); }

    ScopedTestProfile profile;
    std::optional<MainDialogHarness> dialog{std::in_place};
};

TEST_F(FlowsTest, ConnectAndTrayDisconnectWithoutBrowsersAskNothing)
{
    ConnectQuietly();
    EXPECT_EQ(Caption(), L"Disconnect");
    EXPECT_EQ(SystemProxyServer(), L"socks=localhost:1234");
    const DWORD plink = Dlg().m_tunnel.ProcessId();

    ModalScript none([](CDialog&) { return static_cast<INT_PTR>(IDCANCEL); });
    dialog->Command(ID_DISCONNECT);  // the tray menu's "Disconnect"
    EXPECT_TRUE(none.Shown().empty());
    EXPECT_FALSE(Dlg().m_bConnected);
    EXPECT_EQ(Caption(), L"Connect");
    EXPECT_FALSE(ProcessRuns(plink));
    EXPECT_EQ(SystemProxyServer(), L"");
}

TEST_F(FlowsTest, CancelInTheConnectWarningStartsNothing)
{
    BrowserStandIns browsers;
    SleeperProcess& firefox = browsers.Start(L"firefox.exe");
    Type(L"stay-cancel");
    ModalScript cancel(AnswerWarnings(IDCANCEL, true));
    dialog->Command(IDC_CONNECT);
    EXPECT_EQ(cancel.Shown(), std::vector<UINT>{IDD_BROWSER_WARNING});
    EXPECT_FALSE(Dlg().m_bConnected);
    EXPECT_EQ(Caption(), L"Connect");
    EXPECT_TRUE(ReadPlinkCalls().empty());
    EXPECT_TRUE(firefox.IsRunning());
    EXPECT_EQ(settings::GetInt(settings::kEnableBrowserMessage, 7), 7u) << "Cancel records nothing";
}

TEST_F(FlowsTest, OkInTheConnectWarningClosesTheBrowsersAndRecordsTheBox)
{
    BrowserStandIns browsers;
    SleeperProcess& firefox = browsers.Start(L"firefox.exe");
    Type(L"stay-ok");
    ModalScript ok(AnswerWarnings(IDOK, true));
    dialog->Command(IDC_CONNECT);
    ::KillTimer(Window(), IDT_TUNNEL_MONITOR);
    EXPECT_TRUE(Dlg().m_bConnected);
    EXPECT_TRUE(firefox.EndsWithin(kProcessEndTimeoutMs));
    EXPECT_FALSE(Dlg().m_warnings.enableBrowserMessage);
    EXPECT_EQ(settings::GetInt(settings::kEnableBrowserMessage, 7), 0u);
}

TEST_F(FlowsTest, CancelInTheDisconnectWarningKeepsTheTunnel)
{
    ConnectQuietly();
    const DWORD plink = Dlg().m_tunnel.ProcessId();
    BrowserStandIns browsers;
    browsers.Start(L"IEXPLORE.EXE");
    ModalScript cancel(AnswerWarnings(IDCANCEL));
    dialog->Command(IDC_CONNECT);
    EXPECT_EQ(cancel.Shown(), std::vector<UINT>{IDD_BROWSER_WARNING});
    EXPECT_TRUE(Dlg().m_bConnected);
    EXPECT_EQ(Caption(), L"Disconnect");
    EXPECT_TRUE(ProcessRuns(plink));
}

TEST_F(FlowsTest, ASwitchAnsweredNoPutsTheListsBackAndRecordsTheBox)
{
    ConnectQuietly();
    const DWORD plink = Dlg().m_tunnel.ProcessId();
    ModalScript no(AnswerWarnings(IDCANCEL, true));  // "No" is the dialog's cancel button
    PickLocation(3);  // Static United States
    EXPECT_EQ(no.Shown(), std::vector<UINT>{IDD_SWITCH_WARNING});
    EXPECT_EQ(Dlg().m_cboLocation.GetCurSel(), 2);
    EXPECT_FALSE(::IsWindowVisible(Dlg().GetDlgItem(IDC_STATIC_IP)));
    EXPECT_EQ(Dlg().m_nCurrentLocation, 200u);
    EXPECT_EQ(settings::GetInt(settings::kEnableSwitchSrvrMessage, 7), 0u);
    EXPECT_FALSE(Dlg().m_warnings.enableSwitchSrvrMessage);
    EXPECT_TRUE(ProcessRuns(plink)) << "the tunnel stays on the old server";
}

TEST_F(FlowsTest, ASilencedSwitchClosesTheBrowsersWithoutAskingAndHidesTheWindow)
{
    settings::WriteInt(settings::kEnableSwitchSrvrMessage, 0);
    Dlg().m_warnings.browserMessage = false;
    ConnectQuietly();
    ASSERT_TRUE(WaitForPlinkCalls(1));
    BrowserStandIns browsers;
    SleeperProcess& firefox = browsers.Start(L"firefox.exe");
    ModalScript none([](CDialog&) { return static_cast<INT_PTR>(IDCANCEL); });
    PickLocation(3);  // Static United States, slot 1: code 300, row 3
    EXPECT_TRUE(none.Shown().empty());
    EXPECT_TRUE(firefox.EndsWithin(kProcessEndTimeoutMs));
    EXPECT_TRUE(Dlg().m_bConnected);
    EXPECT_EQ(Caption(), L"Disconnect");
    EXPECT_FALSE(Dlg().IsWindowVisible()) << "after a switch the window goes to the tray";
    EXPECT_EQ(Dlg().m_nCurrentLocation, 300u);
    EXPECT_EQ(settings::GetInt(settings::kCurrentLocation, 0), 300u);
    ASSERT_TRUE(WaitForPlinkCalls(2));
    EXPECT_THAT(ReadPlinkCalls().at(1).commandLine, testing::EndsWith("@127.0.0.5"));
    // The connected balloon names the kind of the new location.
    const NOTIFYICONDATAW* entry = Dlg().m_trayIcon.FindEntry();
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(std::wstring(entry->szInfo), AppendTrayHint(LoadStringResource(IDS_CONNECTED_STATIC)));
}

TEST_F(FlowsTest, ASwitchWhoseLaunchFailsLeavesTheDialogDisconnected)
{
    settings::WriteInt(settings::kEnableSwitchSrvrMessage, 0);
    ConnectQuietly();
    Dlg().m_strTempDir = (dialog->Temp().Path() / L"gone").wstring();  // no files can be made now
    MessageBoxScript boxes;
    PickLocation(1);
    EXPECT_EQ(boxes.Shown().size(), 1u) << "the launch told the user";
    EXPECT_FALSE(Dlg().m_bConnected);
    EXPECT_EQ(Caption(), L"Connect");
    EXPECT_FALSE(Dlg().IsWindowVisible());
    EXPECT_EQ(SystemProxyServer(), L"");
}

struct ExitCase {
    const char* name;
    bool connected;
    int exitMessage;  // the stored "ExitMessage"
    INT_PTR answer;
    bool ends;
    bool warned;
};

// Test names and failure messages show the case by its name.
void PrintTo(const ExitCase& c, std::ostream* out)
{
    *out << c.name;
}

class ExitFlowTest : public FlowsTest, public testing::WithParamInterface<ExitCase> {};

TEST_P(ExitFlowTest, ExitWarnsOnlyWhileConnectedAndLeavesTheSystemDirect)
{
    const ExitCase& c = GetParam();
    settings::WriteInt(settings::kExitMessage, c.exitMessage);
    dialog.reset();
    dialog.emplace();
    if (c.connected)
        ConnectQuietly();
    const DWORD plink = Dlg().m_tunnel.ProcessId();

    ModalScript answer(AnswerWarnings(c.answer, true));
    ::SendMessageW(Window(), WM_CLOSE, 0, 0);
    PumpMessages();

    EXPECT_EQ(answer.Shown().size(), c.warned ? 1u : 0u);
    EXPECT_EQ(Dlg().GetSafeHwnd() == nullptr, c.ends);
    if (c.ends) {
        EXPECT_EQ(Dlg().m_trayIcon.FindEntry(), nullptr) << "the tray icon goes first";
        EXPECT_EQ(SystemProxyServer(), L"");
        if (plink) {
            EXPECT_FALSE(ProcessRuns(plink));
        }
    } else {
        EXPECT_TRUE(Dlg().m_bConnected);
        EXPECT_TRUE(ProcessRuns(plink));
    }
    const unsigned stored = c.warned && c.answer == IDOK ? 0u : static_cast<unsigned>(c.exitMessage);
    EXPECT_EQ(settings::GetInt(settings::kExitMessage, 7), stored);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExitFlowTest,
    testing::Values(ExitCase{"Disconnected", false, 1, IDCANCEL, true, false},
                    ExitCase{"ConnectedWarningOff", true, 0, IDCANCEL, true, false},
                    ExitCase{"ConnectedOkWithTheBoxTicked", true, 1, IDOK, true, true},
                    ExitCase{"ConnectedCancel", true, 1, IDCANCEL, false, true}),
    [](const testing::TestParamInfo<ExitCase>& info) { return info.param.name; });

TEST_F(FlowsTest, EndingWithoutTheExitFlowStillLeavesTheSystemDirect)
{
    struct Ending {
        UINT command;
        bool duringConnectWarning;  // posted while the warning is open, then OK
    };
    for (const Ending ending : {Ending{IDCANCEL, false}, Ending{ID_END_DIALOG, false}, Ending{ID_END_DIALOG, true}}) {
        SCOPED_TRACE(testing::Message() << ending.command << (ending.duringConnectWarning ? " during" : ""));
        dialog.reset();
        dialog.emplace();
        ClearPlinkCalls();
        if (ending.duringConnectWarning) {
            BrowserStandIns browsers;
            browsers.Start(L"firefox.exe");
            Type(L"stay-ending");
            ModalScript ok([&](CDialog&) {
                ::PostMessageW(Window(), WM_COMMAND, ending.command, 0);
                PumpMessages();
                return static_cast<INT_PTR>(IDOK);
            });
            dialog->Command(IDC_CONNECT);
            EXPECT_TRUE(ReadPlinkCalls().empty()) << "the OK after the end connects nothing";
        } else {
            ConnectQuietly();
            ModalScript none([](CDialog&) { return static_cast<INT_PTR>(IDCANCEL); });
            dialog->Command(ending.command);  // Escape, or the installer's command
            EXPECT_TRUE(none.Shown().empty());
        }
        EXPECT_TRUE(WaitFor([&] { return Dlg().GetSafeHwnd() == nullptr; }, 5000));
        for (const PlinkCall& call : ReadPlinkCalls())
            EXPECT_FALSE(ProcessRuns(call.processId));
        EXPECT_EQ(SystemProxyServer(), L"");
    }
}

}  // namespace

namespace {

// A window of the program whose handler fails.
class ThrowingDialog : public CDialogWithTable<ThrowingDialog> {
public:
    ThrowingDialog() : CDialogWithTable(IDD_EXIT_WARNING) {}
    static const MessageEntry<ThrowingDialog> kMessages[];
    LRESULT OnFailingMessage(WPARAM, LPARAM) { throw std::runtime_error("handler failed"); }
};
constexpr UINT kFailingMessage = WM_APP + 7;
const MessageEntry<ThrowingDialog> ThrowingDialog::kMessages[] = {
    OnMessage(kFailingMessage, &ThrowingDialog::OnFailingMessage),
};

TEST_F(FlowsTest, AFailedHandlerTellsTheUserAndLeavesTheSystemDirect)
{
    ConnectQuietly();
    const DWORD plink = Dlg().m_tunnel.ProcessId();
    ThrowingDialog failing;
    ASSERT_TRUE(failing.CreateModeless());
    MessageBoxScript boxes;
    ::SendMessageW(failing.GetSafeHwnd(), kFailingMessage, 0, 0);

    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, L"Unexpected Error Encountered.");
    EXPECT_EQ(boxes.Shown()[0].flags, static_cast<UINT>(MB_OK | MB_ICONERROR));
    EXPECT_FALSE(Dlg().m_bConnected);
    EXPECT_EQ(Caption(), L"Connect");
    EXPECT_FALSE(ProcessRuns(plink));
    EXPECT_EQ(SystemProxyServer(), L"");
    ::DestroyWindow(failing.GetSafeHwnd());
}

}  // namespace
