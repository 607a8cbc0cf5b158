// The tray icon against Wine's notification area: what each sequence of
// operations leaves in the entry and the shell, the menu's state rules, and
// a click while a box is open. The menu's choice reaching the dialog is shown
// by the real program's tests.
#include "TestSupport.h"

#include "framework/Strings.h"
#include "res/resource.h"
#include "ui/SysTrayIcon.h"

#include <gmock/gmock.h>

namespace {

HICON Icon(UINT id) { return ::LoadIconW(ResourceModule(), MAKEINTRESOURCEW(id)); }

// A NIM_MODIFY succeeds only for an icon that was added and not deleted.
bool ShellHolds(NOTIFYICONDATAW e) { e.uFlags = NIF_TIP; return e.hWnd && ::Shell_NotifyIconW(NIM_MODIFY, &e); }

// One operation by its letter: A add, N add without icon, L add with a long
// tip, S show, I set icon, T tooltip, B balloon, D delete, O delete another
// id, R Explorer restarting (it forgets every icon, then broadcasts; true
// when the icon is back).
BOOL Apply(CSysTrayIcon& tray, char op)
{
    switch (op) {
    case 'A': return tray.AddIcon(Icon(IDI_DISCONNECTED), L"Off");
    case 'N': return tray.AddIcon(nullptr, L"tip");
    case 'L': return tray.AddIcon(Icon(IDI_DISCONNECTED), std::wstring(200, L'x'));
    case 'S': return tray.ShowIcon();
    case 'I': return tray.SetIcon(Icon(IDI_CONNECTED));
    case 'T': return tray.SetTooltip(L"On");
    case 'B': return tray.ShowBalloon(L"news", Icon(IDI_CONNECTED));
    case 'D': return tray.DeleteIcon(1);
    case 'O': return tray.DeleteIcon(2);
    }
    NOTIFYICONDATAW gone = tray.FindEntry() ? *tray.FindEntry() : NOTIFYICONDATAW{};
    ::Shell_NotifyIconW(NIM_DELETE, &gone);
    ::SendMessageW(tray.GetTrayWindow(), ::RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    return tray.FindEntry() && ShellHolds(*tray.FindEntry());
}

// "none", or "<flags> <icon C|D> <tip> [<balloon>]"; then " held" while the shell holds the icon.
std::wstring State(const CSysTrayIcon& tray, const NOTIFYICONDATAW& last)
{
    std::wstring state = L"none";
    if (const NOTIFYICONDATAW* e = tray.FindEntry()) {
        state = std::to_wstring(e->uFlags) + (e->hIcon == Icon(IDI_CONNECTED) ? L" C " : L" D ") + e->szTip;
        if (e->uFlags & NIF_INFO && e->dwInfoFlags == NIIF_USER)
            state += L" [" + std::wstring(e->szInfoTitle) + L": " + e->szInfo + L"]";
        if (e->hWnd != tray.GetTrayWindow() || e->uCallbackMessage != WM_USER + 1)
            state += L" calls back elsewhere";
    }
    return state + (ShellHolds(last) ? L" held" : L"");
}

TEST(SysTrayIconEntries, EachOperationSequenceLeavesItsEntryAndShellState)
{
    // Operations, their results, the state after; flags 7: message, icon and tip, 23: and balloon.
    const std::tuple<std::string, std::string, std::wstring> rows[] = {
        {"SITBDR", "000000", L"none"},   {"N", "0", L"none"},
        {"AL", "11", L"0 D Off"},        {"L", "1", L"0 D " + std::wstring(127, L'x')},
        {"ASS", "111", L"7 D Off held"}, {"AI", "10", L"0 C Off"},
        {"AST", "111", L"7 D On held"},  {"ASBI", "1111", L"23 C Off [Corvane: news] held"},
        {"ASBS", "1111", L"7 C Off held"}, {"ASODD", "11010", L"none"},
        {"AD", "10", L"none"},           {"ASBR", "1111", L"23 C Off [Corvane: news] held"},
        {"ARS", "101", L"7 D Off held"}, {"ATS", "101", L"7 D On held"},
        {"ABS", "101", L"7 D Off held"},
    };
    for (const auto& [ops, results, state] : rows) {
        SCOPED_TRACE(ops);
        NOTIFYICONDATAW last{};
        std::optional<CSysTrayIcon> tray(std::in_place);
        const HWND window = tray->GetTrayWindow();
        EXPECT_EQ(::GetAncestor(window, GA_PARENT), ::GetDesktopWindow()) << "top-level: the broadcast reaches it";
        std::string got;
        for (char op : ops) {
            got += Apply(*tray, op) ? '1' : '0';
            last = tray->FindEntry() ? *tray->FindEntry() : last;
        }
        EXPECT_EQ(got, results);
        EXPECT_EQ(State(*tray, last), state);
        tray.reset();
        EXPECT_FALSE(ShellHolds(last) || ::IsWindow(window)) << "icon and window go with the object";
    }
}

// The menu follows the connection and the window. While a box is open its flow
// waits: any tray click brings the box forward instead of offering the menu,
// and the main window stays out of the way.
TEST(MainWindowTray, TheMenuFollowsTheStateAndAClickBringsAnOpenBoxForward)
{
    ScopedTestProfile profile;
    MainDialogHarness harness;
    const std::wstring tail = L"32773 Check for Updates|32772 Help|1022 Manage My Account|"
                              L"32788 Restore System Defaults...|0 |32775 Exit|32785 About...|";
    for (const auto& [connected, visible, head] : {std::tuple{false, true, L"-1 Connect to|32777 Hide Window|"},
                                                   {true, false, L"-1 Connect to|32776 Disconnect|32777 Show Window|"}}) {
        harness->m_bConnected = connected;
        harness->ShowWindow(visible ? SW_SHOW : SW_HIDE);
        UniqueMenu menu = harness->m_trayIcon.BuildMenu();
        std::wstring items;  // "id text|"; a popup has id -1, a separator 0
        for (int i = 0; i < ::GetMenuItemCount(menu.Get()); ++i) {
            wchar_t text[64] = {};
            ::GetMenuStringW(menu.Get(), static_cast<UINT>(i), text, 64, MF_BYPOSITION);
            items += std::to_wstring(static_cast<int>(::GetMenuItemID(menu.Get(), i))) + L" " + text + L"|";
        }
        EXPECT_EQ(items, head + tail);
    }

    harness->ShowAndActivate();
    ModalScript about([&](CDialog&) {
        EXPECT_FALSE(harness->IsWindowVisible()) << "the About box hides the main window";
        UniqueWindow box(::CreateWindowExW(0, L"#32770", L"box", WS_POPUP | WS_VISIBLE, 0, 0, 100, 50,
                                           harness->GetSafeHwnd(), nullptr, nullptr, nullptr),
                         ::DestroyWindow);
        for (LPARAM click : {LPARAM{WM_RBUTTONDOWN}, LPARAM{WM_LBUTTONDOWN}, LPARAM{WM_LBUTTONDBLCLK}}) {
            ::SetForegroundWindow(harness->GetSafeHwnd());
            // A menu opened anyway (in front of its owner, the main window) ends at once.
            ::PostMessageW(harness->GetSafeHwnd(), WM_CANCELMODE, 0, 0);
            ::SendMessageW(harness->m_trayIcon.GetTrayWindow(), WM_USER + 1, 1, click);
            EXPECT_EQ(::GetForegroundWindow(), box.get()) << click;
        }
        return static_cast<INT_PTR>(IDOK);
    });
    harness.Command(ID_ABOUT);
    EXPECT_TRUE(about.Shown().size() == 1 && harness->IsWindowVisible()) << "and shows it again";
}

}  // namespace
