// Start-up of the real Corvane.exe under Wine, driven from outside: the
// template and place the profile chooses, the switches, the single instance,
// Enter in the dialog, and the end of the session.
#include "E2eSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace driver;

class StartupTest : public testing::Test {
protected:
    // The template (only the sign-up one has the link 1043), Remember's tick,
    // the window's place and the place saved in the profile.
    std::wstring Shown(HWND main) const
    {
        RECT r{};
        ::GetWindowRect(main, &r);
        return std::wstring(::GetDlgItem(main, 1043) ? L"sign-up" : L"remembered") + (GetCheck(main, 1019) ? L" ticked" : L"") +
               L" at " + std::to_wstring(r.left) + L"," + std::to_wstring(r.top) + L" saved " +
               Reg(install.ProfileKey(), L"X") + L"," + Reg(install.ProfileKey(), L"Y");
    }

    CorvaneInstall install{L"CorvaneE2E"};
    const ScopedUserSettings userSettings;
};

// A second copy, with or without " -r", only shows the first one's window and
// leaves the proxy settings the first one holds alone; so does a double-click
// on the first one's tray icon (which the main window, once counted as an open
// box, took for "bring the box forward"). "x-r" is no " -r": no blank before
// it. The stored Remember opens the remembered template, ticked, at the stored
// place; moves are saved, except those that leave the window at or beyond the
// screen's edge.
TEST_F(StartupTest, ASecondCopyOnlyBringsTheFirstOneBack)
{
    for (const auto& [name, value] : {std::pair{L"Remember", 7}, {L"X", 120}, {L"Y", 140}})
        Write(install.ProfileKey(), name, static_cast<DWORD>(value));
    Program first = install.Start(L"x-r -s");
    HWND main = WaitForMainWindow(first, false);
    ASSERT_TRUE(WaitUntil([&] { return !IsVisible(main); }, kStepLimit)) << "-s hides the window";
    ASSERT_NE(FindTrayWindow(first.Id()), nullptr) << "only the tray is left";
    ASSERT_TRUE(SetLan({PROXY_TYPE_PROXY, L"socks=localhost:1234", L"", L""}));
    for (const wchar_t* arguments : {L"", L"-r"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(arguments)));
        EXPECT_EQ(install.Start(arguments).WaitForExit(kStepLimit), std::optional<DWORD>(0));
        EXPECT_TRUE(WaitUntil([&] { return IsVisible(main); }, kStepLimit));
        EXPECT_EQ(SystemProxy(), L"1 socks=localhost:1234");
        ::ShowWindow(main, SW_HIDE);
    }
    SendTrayCallback(first.Id(), WM_LBUTTONDBLCLK);
    EXPECT_TRUE(WaitUntil([&] { return IsVisible(main); }, kStepLimit)) << "a double-click on the icon shows it";
    EXPECT_EQ(Shown(main), L"remembered ticked at 120,140 saved 120,140");
    for (const auto& [x, y, saved] : {std::tuple{0, 50, L"120,140"}, {50, -10, L"120,140"},
                                      {::GetSystemMetrics(SM_CXSCREEN) - 20, 50, L"120,140"}, {77, 88, L"77,88"}}) {
        // Moved from another process, the window has handled the move when SetWindowPos returns.
        ::SetWindowPos(main, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_TRUE(Shown(main).ends_with(std::wstring(L" saved ") + saved)) << "move to " << x << "," << y;
    }
    SendCommand(main, kEndDialog);
    EXPECT_EQ(first.WaitForExit(kStepLimit), std::optional<DWORD>(0));
}

// A fresh profile opens the sign-up template at 300,200 and saves no place
// (" -S" is not " -s": switches are case-sensitive); Enter there (IDOK from
// the dialog manager while Connect is disabled) must not end the program.
// Then the system ends the session as it would: it asks, then tells, every
// top-level window; a connected Corvane leaves the system direct before it is
// ended, with no tunnel and no tunnel files left.
TEST_F(StartupTest, TheEndOfTheSessionWhileConnectedLeavesTheSystemDirect)
{
    Program corvane = install.Start(L"-S");
    HWND main = WaitForMainWindow(corvane);
    EXPECT_EQ(Shown(main), L"sign-up at 300,200 saved -,-");
    for (const auto& [message, key] : {std::pair{WM_KEYDOWN, VK_RETURN}, {WM_KEYUP, VK_RETURN}, {WM_CHAR, 'x'}})
        ::PostMessageW(Control(main, 1003), message, key, 0);
    ASSERT_TRUE(WaitUntil([&] { return corvane.IsRunning() && GetText(main, 1003) == L"x"; }, kStepLimit))
        << "Enter ended the program: the character typed after it never arrived";
    ASSERT_TRUE(ConnectAs(main, L"stay-session", L"secret"));
    EXPECT_EQ(SystemProxy(), L"1 socks=localhost:1234");
    DWORD_PTR answer = 0;
    ASSERT_TRUE(::SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &answer));
    EXPECT_NE(answer, 0u) << "Corvane lets the session end";
    ASSERT_TRUE(::SendMessageTimeoutW(main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 10000, &answer));
    EXPECT_EQ(SystemProxy(), L"0 ");
    EXPECT_TRUE(ProcessesNamed(L"plink.exe").empty());
    EXPECT_EQ(ProcessFiles(), 0u);
    corvane.Terminate(0);  // as the system ends a process after its session
}

}  // namespace
