// The tray icon against Wine's real notification area: the entry list rules,
// what the shell holds after each operation, the callback dispatch, the menu
// and its state rules, restore on double-click and minimise to the tray.
#include "TestSupport.h"
#include "Wait.h"

#include "framework/Strings.h"
#include "res/resource.h"
#include "ui/SysTrayIcon.h"

#include <gmock/gmock.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

using testing::ElementsAre;
using testing::ElementsAreArray;

HICON ConnectedIcon()
{
    return ::LoadIconW(ResourceModule(), MAKEINTRESOURCEW(IDI_CONNECTED));
}

HICON DisconnectedIcon()
{
    return ::LoadIconW(ResourceModule(), MAKEINTRESOURCEW(IDI_DISCONNECTED));
}

// Whether the shell holds an icon for this entry's window and id: a
// NIM_MODIFY succeeds only for an icon that was added and not deleted.
bool ShellHolds(const NOTIFYICONDATAW& entry)
{
    NOTIFYICONDATAW probe = entry;
    probe.uFlags = NIF_TIP;
    return ::Shell_NotifyIconW(NIM_MODIFY, &probe) != FALSE;
}

UINT TaskbarCreated()
{
    return ::RegisterWindowMessageW(L"TaskbarCreated");
}

TEST(SysTrayIconEntries, AddIconFillsEntryButShowsNothing)
{
    CSysTrayIcon tray;
    ASSERT_TRUE(tray.AddIcon(DisconnectedIcon(), L"Corvane is disconnected."));

    const NOTIFYICONDATAW* entry = tray.FindEntry();
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->cbSize, 952u);
    EXPECT_EQ(entry->hWnd, tray.GetTrayWindow());
    EXPECT_EQ(entry->uID, 1u);
    EXPECT_EQ(entry->uFlags, 0u);
    EXPECT_EQ(entry->uCallbackMessage, static_cast<UINT>(WM_USER + 1));
    EXPECT_EQ(entry->hIcon, DisconnectedIcon());
    EXPECT_STREQ(entry->szTip, L"Corvane is disconnected.");
    EXPECT_EQ(tray.m_listIcons.size(), 1u);
    EXPECT_FALSE(ShellHolds(*entry));
}

TEST(SysTrayIconEntries, SecondAddIconSucceedsAndChangesNothing)
{
    CSysTrayIcon tray;
    ASSERT_TRUE(tray.AddIcon(DisconnectedIcon(), L"first"));
    EXPECT_TRUE(tray.AddIcon(ConnectedIcon(), L"second"));

    EXPECT_EQ(tray.m_listIcons.size(), 1u);
    EXPECT_EQ(tray.FindEntry()->hIcon, DisconnectedIcon());
    EXPECT_STREQ(tray.FindEntry()->szTip, L"first");
}

TEST(SysTrayIconEntries, AddIconWithoutIconFailsAndAddsNothing)
{
    CSysTrayIcon tray;
    EXPECT_FALSE(tray.AddIcon(nullptr, L"tip"));
    EXPECT_EQ(tray.FindEntry(), nullptr);
    EXPECT_TRUE(tray.m_listIcons.empty());
}

TEST(SysTrayIconEntries, EveryOperationFailsWithoutEntry)
{
    CSysTrayIcon tray;
    EXPECT_FALSE(tray.ShowIcon());
    EXPECT_FALSE(tray.SetIcon(ConnectedIcon()));
    EXPECT_FALSE(tray.SetTooltip(L"tip"));
    EXPECT_FALSE(tray.ShowBalloon(L"text", ConnectedIcon()));
    EXPECT_FALSE(tray.DeleteIcon(1));
    EXPECT_FALSE(tray.OnTaskbarCreated());
}

TEST(SysTrayIconEntries, FirstShowIconAddsAndLaterOnesModify)
{
    CSysTrayIcon tray;
    tray.AddIcon(DisconnectedIcon(), L"tip");

    // A modify of an icon never added fails, and so does a second add: both
    // results tell which one was sent.
    EXPECT_TRUE(tray.ShowIcon());
    EXPECT_EQ(tray.FindEntry()->uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_TRUE(ShellHolds(*tray.FindEntry()));
    EXPECT_TRUE(tray.ShowIcon());
    EXPECT_TRUE(tray.ShowIcon());
    EXPECT_EQ(tray.FindEntry()->uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
}

TEST(SysTrayIconEntries, SetIconAndTooltipBeforeShowIconFailAndChangeTheEntry)
{
    CSysTrayIcon tray;
    tray.AddIcon(DisconnectedIcon(), L"tip");

    EXPECT_FALSE(tray.SetIcon(ConnectedIcon()));
    EXPECT_EQ(tray.FindEntry()->hIcon, ConnectedIcon());
    EXPECT_EQ(tray.FindEntry()->uFlags, 0u);
}

TEST(SysTrayIconEntries, TooltipIsCutToWhatTheStructureHolds)
{
    CSysTrayIcon tray;
    tray.AddIcon(DisconnectedIcon(), std::wstring(300, L'x'));
    EXPECT_EQ(std::wstring(tray.FindEntry()->szTip), std::wstring(127, L'x'));

    tray.ShowIcon();
    EXPECT_TRUE(tray.SetTooltip(L"Corvane is connected."));
    EXPECT_STREQ(tray.FindEntry()->szTip, L"Corvane is connected.");
    EXPECT_TRUE(tray.FindEntry()->uFlags & NIF_TIP);
}

TEST(SysTrayIconEntries, BalloonSetsItsFieldsUntilTheNextShowIcon)
{
    CSysTrayIcon tray;
    tray.AddIcon(DisconnectedIcon(), L"tip");
    tray.ShowIcon();

    EXPECT_TRUE(tray.ShowBalloon(L"line one\nline two", ConnectedIcon()));
    const NOTIFYICONDATAW* entry = tray.FindEntry();
    EXPECT_EQ(entry->uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_INFO));
    EXPECT_EQ(entry->dwInfoFlags, static_cast<DWORD>(NIIF_USER));
    EXPECT_EQ(entry->hIcon, ConnectedIcon());
    EXPECT_EQ(entry->uTimeout, 10000u);
    EXPECT_STREQ(entry->szInfoTitle, L"Corvane");
    EXPECT_STREQ(entry->szInfo, L"line one\nline two");

    // A later SetIcon still carries the balloon; ShowIcon drops it.
    EXPECT_TRUE(tray.SetIcon(DisconnectedIcon()));
    EXPECT_TRUE(entry->uFlags & NIF_INFO);
    EXPECT_TRUE(tray.ShowIcon());
    EXPECT_EQ(entry->uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
}

TEST(SysTrayIconEntries, DeleteIconRemovesOnlyAKnownEntry)
{
    CSysTrayIcon tray;
    tray.AddIcon(DisconnectedIcon(), L"tip");
    tray.ShowIcon();
    const NOTIFYICONDATAW shown = *tray.FindEntry();

    EXPECT_FALSE(tray.DeleteIcon(2));
    EXPECT_EQ(tray.m_listIcons.size(), 1u);
    EXPECT_TRUE(ShellHolds(shown));

    EXPECT_TRUE(tray.DeleteIcon(1));
    EXPECT_TRUE(tray.m_listIcons.empty());
    EXPECT_FALSE(ShellHolds(shown));
    EXPECT_FALSE(tray.DeleteIcon(1));
}

TEST(SysTrayIconEntries, DeleteIconOfAnIconNeverShownReportsTheShellsRefusal)
{
    CSysTrayIcon tray;
    tray.AddIcon(DisconnectedIcon(), L"tip");
    EXPECT_FALSE(tray.DeleteIcon(1));
    EXPECT_TRUE(tray.m_listIcons.empty());
}

TEST(SysTrayIconEntries, DestructorRemovesTheIconAndTheWindow)
{
    NOTIFYICONDATAW shown{};
    HWND window = nullptr;
    {
        CSysTrayIcon tray;
        tray.AddIcon(DisconnectedIcon(), L"tip");
        tray.ShowIcon();
        shown = *tray.FindEntry();
        window = tray.GetTrayWindow();
        ASSERT_TRUE(ShellHolds(shown));
    }
    EXPECT_FALSE(ShellHolds(shown));
    EXPECT_FALSE(::IsWindow(window));
}

TEST(SysTrayIconWindow, IsAHiddenTopLevelPopupOfItsOwnClass)
{
    CSysTrayIcon tray;
    HWND window = tray.GetTrayWindow();
    ASSERT_TRUE(::IsWindow(window));

    wchar_t className[64] = {};
    ::GetClassNameW(window, className, 64);
    EXPECT_STREQ(className, L"CorvaneTrayWnd");
    EXPECT_EQ(::GetAncestor(window, GA_PARENT), ::GetDesktopWindow());  // not message-only
    EXPECT_TRUE(::GetWindowLongPtrW(window, GWL_STYLE) & WS_POPUP);
    EXPECT_FALSE(::IsWindowVisible(window));
    EXPECT_EQ(::FindWindowW(L"CorvaneTrayWnd", nullptr) != nullptr, true);
}

TEST(SysTrayIconWindow, TaskbarCreatedPutsAShownIconBack)
{
    CSysTrayIcon tray;
    tray.AddIcon(DisconnectedIcon(), L"tip");
    tray.ShowIcon();
    tray.ShowBalloon(L"old news", ConnectedIcon());
    NOTIFYICONDATAW shown = *tray.FindEntry();

    // What a restarting Explorer does to every icon: it forgets it.
    shown.uFlags = 0;
    ASSERT_TRUE(::Shell_NotifyIconW(NIM_DELETE, &shown));
    ASSERT_FALSE(ShellHolds(shown));

    ::SendMessageW(tray.GetTrayWindow(), TaskbarCreated(), 0, 0);
    EXPECT_TRUE(ShellHolds(shown));
    // The entry keeps its own state; a second broadcast finds the icon there.
    EXPECT_TRUE(tray.FindEntry()->uFlags & NIF_INFO);
    EXPECT_FALSE(tray.OnTaskbarCreated());
}

TEST(SysTrayIconWindow, TaskbarCreatedLeavesAnIconNeverShownToShowIcon)
{
    CSysTrayIcon tray;
    tray.AddIcon(DisconnectedIcon(), L"tip");
    ::SendMessageW(tray.GetTrayWindow(), TaskbarCreated(), 0, 0);
    EXPECT_FALSE(ShellHolds(*tray.FindEntry()));
    EXPECT_TRUE(tray.ShowIcon());  // still the first add
}

// Records which handler the callback reached, with its arguments.
class RecordingTrayIcon : public CSysTrayIcon {
public:
    struct Call {
        std::string handler;
        UINT id;
        int x, y;
        bool operator==(const Call&) const = default;
    };
    std::vector<Call> calls;

    void OnLButtonDown(UINT id, int x, int y) override { calls.push_back({"LButtonDown", id, x, y}); }
    void OnRButtonDown(UINT id, int x, int y) override { calls.push_back({"RButtonDown", id, x, y}); }
    void OnMButtonDown(UINT id, int x, int y) override { calls.push_back({"MButtonDown", id, x, y}); }
    void OnLButtonUp(UINT id, int x, int y) override { calls.push_back({"LButtonUp", id, x, y}); }
    void OnRButtonUp(UINT id, int x, int y) override { calls.push_back({"RButtonUp", id, x, y}); }
    void OnMButtonUp(UINT id, int x, int y) override { calls.push_back({"MButtonUp", id, x, y}); }
    void OnLButtonDblClk(UINT id, int x, int y) override { calls.push_back({"LButtonDblClk", id, x, y}); }
    void OnRButtonDblClk(UINT id, int x, int y) override { calls.push_back({"RButtonDblClk", id, x, y}); }
    void OnMButtonDblClk(UINT id, int x, int y) override { calls.push_back({"MButtonDblClk", id, x, y}); }
    void OnMouseMove(UINT id, int x, int y) override { calls.push_back({"MouseMove", id, x, y}); }
};

TEST(SysTrayIconWindow, CallbackReachesTheHandlerOfItsMouseMessage)
{
    struct Case {
        LPARAM mouseMessage;
        const char* handler;
    };
    const Case cases[] = {
        {WM_MOUSEMOVE, "MouseMove"},         {WM_LBUTTONDOWN, "LButtonDown"},
        {WM_LBUTTONUP, "LButtonUp"},         {WM_LBUTTONDBLCLK, "LButtonDblClk"},
        {WM_RBUTTONDOWN, "RButtonDown"},     {WM_RBUTTONUP, "RButtonUp"},
        {WM_RBUTTONDBLCLK, "RButtonDblClk"}, {WM_MBUTTONDOWN, "MButtonDown"},
        {WM_MBUTTONUP, "MButtonUp"},         {WM_MBUTTONDBLCLK, "MButtonDblClk"},
    };
    RecordingTrayIcon tray;
    POINT cursor{};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.handler);
        tray.calls.clear();
        ::GetCursorPos(&cursor);
        EXPECT_EQ(::SendMessageW(tray.GetTrayWindow(), WM_USER + 1, 7, c.mouseMessage), 0);
        EXPECT_THAT(tray.calls, ElementsAre(RecordingTrayIcon::Call{c.handler, 7, cursor.x, cursor.y}));
    }
}

TEST(SysTrayIconWindow, OtherCallbackMessagesAreIgnored)
{
    RecordingTrayIcon tray;
    for (LPARAM other : {LPARAM{0}, LPARAM{0x1FF}, LPARAM{WM_MOUSEWHEEL}, LPARAM{NIN_BALLOONUSERCLICK}})
        EXPECT_EQ(::SendMessageW(tray.GetTrayWindow(), WM_USER + 1, 1, other), 0);
    EXPECT_TRUE(tray.calls.empty());
}

// Only the right-button handler replaced: the left press must lead to it.
class MenuRecordingTrayIcon : public CSysTrayIcon {
public:
    int menus = 0;
    void OnRButtonDown(UINT, int, int) override { ++menus; }
};

TEST(SysTrayIconWindow, LeftPressOpensTheSameMenuAsRightPress)
{
    MenuRecordingTrayIcon tray;
    ::SendMessageW(tray.GetTrayWindow(), WM_USER + 1, 1, WM_LBUTTONDOWN);
    EXPECT_EQ(tray.menus, 1);
    ::SendMessageW(tray.GetTrayWindow(), WM_USER + 1, 1, WM_LBUTTONUP);
    EXPECT_EQ(tray.menus, 1);
}

TEST(SysTrayIconWindow, DoubleClickWithoutOwnerDoesNothing)
{
    CSysTrayIcon tray;
    EXPECT_EQ(::SendMessageW(tray.GetTrayWindow(), WM_USER + 1, 1, WM_LBUTTONDBLCLK), 0);
}

// One menu item as the user sees it: "id text [grayed]", a popup as
// "popup text", a separator as "----".
std::vector<std::wstring> Items(HMENU menu)
{
    std::vector<std::wstring> items;
    const int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        wchar_t text[128] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE | MIIM_SUBMENU | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 128;
        ::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
        std::wstring item;
        if (info.fType & MFT_SEPARATOR)
            item = L"----";
        else if (info.hSubMenu)
            item = std::wstring(L"popup ") + text;
        else
            item = std::to_wstring(info.wID) + L" " + text;
        if (!(info.fType & MFT_SEPARATOR) && (info.fState & MFS_GRAYED))
            item += L" [grayed]";
        items.push_back(item);
    }
    return items;
}

class TrayMenu : public testing::Test {
protected:
    ScopedTestProfile profile;
    MessageBoxScript boxes;
    MainDialogHarness harness;

    std::vector<std::wstring> MenuFor(bool connected, bool visible, bool connectEnabled)
    {
        harness->m_bConnected = connected;
        harness->ShowWindow(visible ? SW_SHOW : SW_HIDE);
        harness->m_btnConnect.EnableWindow(connectEnabled);
        UniqueMenu menu = harness->m_trayIcon.BuildMenu();
        EXPECT_TRUE(::IsMenu(menu.Get()));
        return Items(menu.Get());
    }
};

TEST_F(TrayMenu, ItemsFollowConnectionAndVisibility)
{
    struct Case {
        bool connected, visible, connectEnabled;
        std::vector<std::wstring> items;
    };
    const std::vector<std::wstring> tail = {L"32773 Check for Updates",
                                            L"32772 Help",
                                            L"1022 Manage My Account",
                                            L"32788 Restore System Defaults...",
                                            L"----",
                                            L"32775 Exit",
                                            L"32785 About..."};
    auto menu = [&](std::vector<std::wstring> head) {
        head.insert(head.end(), tail.begin(), tail.end());
        return head;
    };
    const Case cases[] = {
        {false, true, true, menu({L"popup Connect to", L"32777 Hide Window"})},
        {false, false, true, menu({L"popup Connect to", L"32777 Show Window"})},
        {true, true, true, menu({L"popup Connect to", L"32776 Disconnect", L"32777 Hide Window"})},
        {true, false, true, menu({L"popup Connect to", L"32776 Disconnect", L"32777 Show Window"})},
        // Connect disabled grays command 32774, which the menu does not hold.
        {false, true, false, menu({L"popup Connect to", L"32777 Hide Window"})},
        {true, false, false, menu({L"popup Connect to", L"32776 Disconnect", L"32777 Show Window"})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "connected " << c.connected << " visible " << c.visible << " enabled "
                                        << c.connectEnabled);
        EXPECT_THAT(MenuFor(c.connected, c.visible, c.connectEnabled), ElementsAreArray(c.items));
    }
}

TEST_F(TrayMenu, ConnectToHoldsTheLocationCommands)
{
    UniqueMenu menu = harness->m_trayIcon.BuildMenu();
    HMENU connectTo = ::GetSubMenu(menu.Get(), 0);
    ASSERT_NE(connectTo, nullptr);
    EXPECT_THAT(Items(connectTo),
                ElementsAre(L"popup Rotating IP Addresses", L"popup Static United States - IP Addresses",
                            L"popup Static Canada - IP Addresses"));
    EXPECT_THAT(Items(::GetSubMenu(connectTo, 0)),
                ElementsAre(L"32501 Rotating United States", L"32502 Rotating Canada", L"32503 Rotating Netherlands"));
    EXPECT_THAT(Items(::GetSubMenu(connectTo, 1)),
                ElementsAre(L"32601 Static 1", L"32602 Static 2", L"32603 Static 3", L"32604 Static 4",
                            L"32605 Static 5"));
    EXPECT_THAT(Items(::GetSubMenu(connectTo, 2)),
                ElementsAre(L"32621 Static 1", L"32622 Static 2", L"32623 Static 3", L"32624 Static 4",
                            L"32625 Static 5"));
}

TEST_F(TrayMenu, WithoutOwnerTheMenuIsTheResourceAsItIs)
{
    CSysTrayIcon tray;
    UniqueMenu menu = tray.BuildMenu();
    EXPECT_EQ(::GetMenuItemCount(menu.Get()), 10);
    EXPECT_EQ(::GetMenuStringW(menu.Get(), ID_SHOW_WINDOW, nullptr, 0, MF_BYCOMMAND), 11);  // "Show Window"
    EXPECT_NE(::GetMenuState(menu.Get(), ID_DISCONNECT, MF_BYCOMMAND), static_cast<UINT>(-1));
}

TEST_F(TrayMenu, ReleasingTheMenuDestroysIt)
{
    UniqueMenu menu = harness->m_trayIcon.BuildMenu();
    HMENU handle = menu.Get();
    ASSERT_TRUE(::IsMenu(handle));
    menu.Reset();
    EXPECT_FALSE(::IsMenu(handle));
}

// The menu really tracked: a helper thread waits for the popup of this
// process, then chooses its last item ("About...") with the keyboard.
TEST_F(TrayMenu, ChosenItemReachesTheMainDialog)
{
    ModalScript modal([](CDialog&) { return IDOK; });
    harness->ShowAndActivate();
    std::atomic<bool> found{false};
    std::thread chooser([&found] {
        HWND popup = nullptr;
        driver::WaitUntil(
            [&popup] {
                HWND candidate = ::FindWindowW(L"#32768", nullptr);
                DWORD process = 0;
                if (candidate && ::IsWindowVisible(candidate))
                    ::GetWindowThreadProcessId(candidate, &process);
                if (process == ::GetCurrentProcessId())
                    popup = candidate;
                return popup != nullptr;
            },
            std::chrono::milliseconds(5000));
        found = popup != nullptr;
        if (popup) {
            ::PostMessageW(popup, WM_KEYDOWN, VK_UP, 0);
            ::PostMessageW(popup, WM_KEYDOWN, VK_RETURN, 0);
        }
    });
    ::SendMessageW(harness->m_trayIcon.GetTrayWindow(), WM_USER + 1, 1, WM_RBUTTONDOWN);
    chooser.join();
    ASSERT_TRUE(found);
    EXPECT_TRUE(WaitFor([&] { return !modal.Shown().empty(); }, 2000));
    EXPECT_THAT(modal.Shown(), ElementsAre(static_cast<UINT>(IDD_ABOUT)));
}

class MainWindowTray : public TrayMenu {};

TEST_F(MainWindowTray, DoubleClickRestoresTheHiddenMainWindow)
{
    harness->ShowWindow(SW_HIDE);
    ASSERT_FALSE(harness->IsWindowVisible());
    ::PostMessageW(harness->m_trayIcon.GetTrayWindow(), WM_USER + 1, 1, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(WaitFor([&] { return harness->IsWindowVisible(); }, 2000));
    EXPECT_FALSE(harness->IsIconic());
}

TEST_F(MainWindowTray, MinimiseHidesTheWindowAndShowsTheBalloonWithTheStateIcon)
{
    // Another window to take the activation from the minimised dialog.
    struct OwnedWindow {
        HWND window;
        ~OwnedWindow() { ::DestroyWindow(window); }
    } other{::CreateWindowExW(0, L"STATIC", L"other program", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                              nullptr, nullptr, nullptr, nullptr)};
    for (bool connected : {false, true}) {
        SCOPED_TRACE(connected ? "connected" : "disconnected");
        harness->ShowAndActivate();
        harness->m_bConnected = connected;
        HICON expected = connected ? harness->m_hIconConnected : harness->m_hIconDisconnected;

        harness->SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
        // Windows moves the activation to another window at once; Wine
        // without a window manager leaves that to the window manager.
        EXPECT_TRUE(harness->IsIconic());
        ::SetActiveWindow(other.window);
        EXPECT_TRUE(WaitFor([&] { return !harness->IsWindowVisible(); }, 2000));

        const NOTIFYICONDATAW* entry = harness->m_trayIcon.FindEntry();
        ASSERT_NE(entry, nullptr);
        EXPECT_TRUE(entry->uFlags & NIF_INFO);
        EXPECT_STREQ(entry->szInfo,
                     L"Corvane has been minimized to the System Tray.\nClick on the icon for more options.");
        EXPECT_STREQ(entry->szInfoTitle, L"Corvane");
        EXPECT_EQ(entry->hIcon, expected);
        EXPECT_TRUE(ShellHolds(*entry));
    }
}

TEST_F(MainWindowTray, WhileABoxIsOpenATrayClickBringsItForwardInsteadOfTheMenu)
{
    harness->ShowAndActivate();
    std::vector<HWND> foreground;
    static bool menuOpened = false;
    menuOpened = false;
    ModalScript about([&](CDialog&) {
        // A real window of the dialog class stands for the open box.
        HWND box = ::CreateWindowExW(0, L"#32770", L"box", WS_POPUP | WS_VISIBLE, 0, 0, 100, 50,
                                     harness->GetSafeHwnd(), nullptr, nullptr, nullptr);
        // A menu that opens anyway is recorded and closed by a timer that its loop runs.
        const UINT_PTR watch = ::SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) {
            if (HWND popup = ::FindWindowW(L"#32768", nullptr); popup && ::IsWindowVisible(popup)) {
                menuOpened = true;
                ::EndMenu();
            }
        });
        for (LPARAM click : {LPARAM{WM_RBUTTONDOWN}, LPARAM{WM_LBUTTONDOWN}, LPARAM{WM_LBUTTONDBLCLK}}) {
            ::SetForegroundWindow(harness->GetSafeHwnd());
            ::SendMessageW(harness->m_trayIcon.GetTrayWindow(), WM_USER + 1, 1, click);
            foreground.push_back(::GetForegroundWindow() == box ? box : nullptr);
        }
        ::KillTimer(nullptr, watch);
        ::DestroyWindow(box);
        return static_cast<INT_PTR>(IDOK);
    });
    harness.Command(ID_ABOUT);
    ASSERT_EQ(about.Shown().size(), 1u);
    EXPECT_FALSE(menuOpened);
    EXPECT_THAT(foreground, testing::Each(testing::NotNull()));
}

TEST_F(MainWindowTray, OtherSystemCommandsShowNoBalloon)
{
    harness->ShowAndActivate();
    harness->SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
    harness->SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    harness->SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
    PumpMessages();
    EXPECT_TRUE(harness->IsWindowVisible());
    EXPECT_FALSE(harness->m_trayIcon.FindEntry()->uFlags & NIF_INFO);
}

}  // namespace
