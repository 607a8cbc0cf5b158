// The connect, switch, exit and ending flows in the real main dialog against
// the plink double: the warnings they show (the real dialogs, answered on
// screen) and Restore System Defaults, the ways the dialog ends, and a
// handler that fails.
#include "BrowserStandIns.h"
#include "PlinkDoubleLog.h"
#include "TestSupport.h"

#include "app/CorvaneApp.h"
#include "app/Settings.h"
#include "framework/Strings.h"
#include "res/resource.h"

#include <gmock/gmock.h>

#include <stdexcept>

namespace {

constexpr const wchar_t* kWarningBox = L"Corvane Warning";  // the browser warnings and the switch question

class FlowsTest : public testing::Test {
protected:
    FlowsTest() { ClearPlinkCalls(); }
    ~FlowsTest() override { if (dialog && Window() && Dlg().m_bConnected) Dlg().StopTunnel(); }
    CCorvaneDlg& Dlg() { return dialog->Dialog(); }
    HWND Window() { return Dlg().GetSafeHwnd(); }
    void Type(const wchar_t* user)
    {
        ::SetWindowTextW(Dlg().GetDlgItem(IDC_USERNAME), user);
        ::SetWindowTextW(Dlg().GetDlgItem(IDC_PASSWORD), L"secret");
    }
    // The test drives the monitor itself.
    void Do(UINT id, UINT code = 0) { dialog->Command(id, code); ::KillTimer(Window(), IDT_TUNNEL_MONITOR); }
    void PickLocation(int row) { Dlg().m_cboLocation.SetCurSel(row); Do(IDC_LOCATION, CBN_SELCHANGE); }
    // Runs `action` with the warnings shown for real. The box titled `title`
    // gets its "do not show" box ticked and `button` pressed. Returns the text it showed.
    std::wstring Answer(const wchar_t* title, int button, const std::function<void()>& action)
    {
        std::wstring text;
        ModalScript real([](CDialog& box) { return box.RunModalLoop(); });
        ActOnWindow answer(title, [&](HWND box) {
            text = GetWindowTextString(::GetDlgItem(box, IDC_WARNING_TEXT));
            ::SendMessageW(::GetDlgItem(box, IDC_DONT_SHOW), BM_CLICK, 0, 0);
            ::PostMessageW(box, WM_COMMAND, button, reinterpret_cast<LPARAM>(::GetDlgItem(box, button)));
        });
        action();
        EXPECT_TRUE(answer.Found()) << "no box titled " << testing::PrintToString(std::wstring(title));
        return text;
    }

    ScopedTestProfile profile;
    std::optional<MainDialogHarness> dialog{std::in_place};
};

// One pass through every warning: which box appears with which browsers, what
// its answer does, which switch its ticked box silences, and Restore System
// Defaults bringing them back. The texts' wording is checked natively.
TEST_F(FlowsTest, EachWarningAppearsAndItsTickedBoxSilencesOnlyItself)
{
    // The four warning switches as stored ("EnableBrowserMessage", "BrowserMessage",
    // "EnableSwitchSrvrMessage", "ExitMessage"), 7 when absent.
    auto switches = [] {
        std::wstring stored;
        for (const wchar_t* name : {settings::kEnableBrowserMessage, settings::kBrowserMessage,
                                    settings::kEnableSwitchSrvrMessage, settings::kExitMessage})
            stored += std::to_wstring(settings::GetInt(name, 7));
        return stored;
    };
    BrowserStandIns browsers;
    SleeperProcess& firefox = browsers.Start(L"firefox.exe");
    Type(L"stay-flows");
    EXPECT_EQ(Answer(kWarningBox, IDOK, [&] { Do(IDC_CONNECT); }),
              L"Activating Corvane will close the following open browser windows: \n\rFirefox.\n\rSelect OK to continue.");
    EXPECT_TRUE(Dlg().m_bConnected && firefox.EndsWithin(kProcessEndTimeoutMs));

    const DWORD plink = Dlg().m_tunnel.ProcessId();
    SleeperProcess& ie = browsers.Start(L"IEXPLORE.EXE");
    EXPECT_THAT(Answer(kWarningBox, IDCANCEL, [&] { Do(ID_DISCONNECT); }), testing::StartsWith(L"Deactivating"));
    EXPECT_THAT(Answer(kWarningBox, IDCANCEL, [&] { PickLocation(3); }), testing::StartsWith(L"Do you wish"));  // "No"
    Answer(L"Closing Corvane", IDCANCEL, [&] { ::SendMessageW(Window(), WM_CLOSE, 0, 0); });
    EXPECT_TRUE(Dlg().m_bConnected && ie.IsRunning() && ProcessRuns(plink) && Dlg().m_cboLocation.GetCurSel() == 2);
    EXPECT_EQ(switches(), L"0707") << "OK and \"No\" record the ticked box, each in its own switch; Cancel nothing";

    // Silenced, the question asks no more, only the browser warning: the switch
    // reconnects, the window goes to the tray and the balloon names the new kind.
    EXPECT_THAT(Answer(kWarningBox, IDOK, [&] { PickLocation(3); }), testing::StartsWith(L"Switching servers"));
    EXPECT_TRUE(ie.EndsWithin(kProcessEndTimeoutMs) && WaitForPlinkCalls(2) && !Dlg().IsWindowVisible());
    EXPECT_EQ(switches(), L"0007");
    EXPECT_STREQ(Dlg().m_trayIcon.FindEntry()->szInfo,
                 L"Connected to Secure Tunnel with a Static IP Address.\nClick on the icon for more options.");

    // Restore System Defaults as the tray menu sends it (to the main dialog,
    // which passes it on to the application): the silenced question asks
    // again. Each switch it resets, stored and in the running dialog, is
    // checked with the settings.
    CCorvaneApp app;  // the product's application, current while it lives, on the test profile
    app.m_strAppName = TheTestApp().m_strAppName;
    app.SetRegistryKey(L"CorvaneTests");
    app.m_pMainWnd = app.m_pDialog = &Dlg();
    MessageBoxScript question({IDYES});  // "Are you sure...?"
    Do(ID_RESTORE_DEFAULTS);
    ModalScript decline([](CDialog&) { return static_cast<INT_PTR>(IDCANCEL); });
    PickLocation(2);
    EXPECT_EQ(decline.Shown(), std::vector<UINT>{IDD_SWITCH_WARNING});
}

// However the dialog ends, the system is direct again: no plink, no proxy.
TEST_F(FlowsTest, EveryEndingLeavesTheSystemDirect)
{
    // Connected (else a browser runs and the user is typed in), the stored
    // "ExitMessage", the message and command that end, the box answered with
    // its box ticked and OK, whether 32823 comes while it is open, "ExitMessage" after.
    const std::tuple<const char*, bool, int, UINT, UINT, const wchar_t*, bool, unsigned> endings[] = {
        {"Escape", true, 1, WM_COMMAND, IDCANCEL, nullptr, false, 1},
        {"installer's 32823", true, 1, WM_COMMAND, ID_END_DIALOG, nullptr, false, 1},
        {"32823 during the connect warning", false, 1, WM_COMMAND, IDC_CONNECT, kWarningBox, true, 1},
        {"tray Exit, warning OK", true, 1, WM_COMMAND, ID_EXIT, L"Closing Corvane", false, 0},
        {"close, warning silenced", true, 0, WM_CLOSE, 0, nullptr, false, 0},
        {"close disconnected", false, 1, WM_CLOSE, 0, nullptr, false, 1},
    };
    for (const auto& [name, connected, exitMessage, message, command, box, endDuringTheBox, exitAfter] : endings) {
        SCOPED_TRACE(name);
        settings::WriteInt(settings::kExitMessage, exitMessage);
        dialog.emplace();
        ClearPlinkCalls();
        BrowserStandIns browsers;
        Type(L"stay-ending");
        if (connected)
            Do(IDC_CONNECT);  // no browser runs yet, so no warning
        if (box)
            browsers.Start(L"firefox.exe");
        if (endDuringTheBox)  // handled first in the box's own message loop
            ::PostMessageW(Window(), WM_COMMAND, ID_END_DIALOG, 0);
        auto end = [&] { ::SendMessageW(Window(), message, command, 0); };
        const std::wstring shown = box ? Answer(box, IDOK, end) : (end(), std::wstring());  // a box here fails the test
        EXPECT_TRUE(!box || shown.find(L"windows: \n\rFirefox.\n") != std::wstring::npos) << "names the browser";
        EXPECT_TRUE(WaitFor([&] { return Window() == nullptr; }, 5000));
        const std::vector<PlinkCall> calls = ReadPlinkCalls();  // the OK after the end connects nothing
        EXPECT_TRUE(calls.size() == (connected ? 1u : 0u) && (calls.empty() || !ProcessRuns(calls[0].processId)));
        EXPECT_EQ(SystemProxyServer(), L"");
        EXPECT_EQ(settings::GetInt(settings::kExitMessage, 7), exitAfter);
    }
}

// The procedure guard: a handler that fails (here inside the About box's
// modal run) gives up the tunnel and tells the user.
TEST_F(FlowsTest, AFailedHandlerTellsTheUserAndLeavesTheSystemDirect)
{
    Type(L"stay-flows");
    Do(IDC_CONNECT);
    const DWORD plink = Dlg().m_tunnel.ProcessId();
    ASSERT_TRUE(ProcessRuns(plink));
    ModalScript failing([](CDialog&) -> INT_PTR { throw std::runtime_error("handler failed"); });
    MessageBoxScript boxes;
    dialog->Command(ID_ABOUT);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, L"Unexpected Error Encountered.");
    EXPECT_EQ(boxes.Shown()[0].flags, static_cast<UINT>(MB_OK | MB_ICONERROR));
    EXPECT_TRUE(!Dlg().m_bConnected && Dlg().m_btnConnect.GetWindowText() == L"Connect");
    EXPECT_TRUE(!ProcessRuns(plink) && SystemProxyServer().empty());
}

}  // namespace
