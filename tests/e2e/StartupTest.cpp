// Start-up of the real Corvane.exe under Wine, driven from outside: the
// template, the switches, the single instance, the window position, Enter in
// the dialog, and the end of the session.
#include "E2eSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace driver;

RECT WindowRect(HWND window)
{
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return rect;
}

// The copy ends through the uninstaller's command, with exit code 0.
void End(const Program& corvane, HWND main)
{
    SendCommand(main, kEndDialog);
    EXPECT_EQ(corvane.WaitForExit(kStepLimit), std::optional<DWORD>(0));
}

class StartupTest : public testing::Test {
protected:
    CorvaneInstall install;
    const ScopedUserSettings userSettings;
};

// A fresh profile opens the sign-up template (link 1043, text 1042) at
// 300,200; a stored Remember opens the other one, its value the check state,
// at the stored place. Moves are saved, except the first (the placing itself)
// and those that leave the window at or beyond the screen's edge.
TEST_F(StartupTest, TheProfileChoosesTemplateAndPlaceAndKeepsInScreenMoves)
{
    for (const bool stored : {false, true}) {
        SCOPED_TRACE(stored ? "stored profile" : "fresh profile");
        if (stored) {
            Write(install.ProfileKey(), L"Remember", 7);
            Write(install.ProfileKey(), L"X", 120);
            Write(install.ProfileKey(), L"Y", 140);
        }
        Program corvane = install.Start();
        HWND main = WaitForMainWindow(corvane);
        ASSERT_NE(main, nullptr);
        EXPECT_EQ(::GetDlgItem(main, 1043) != nullptr, !stored);
        EXPECT_EQ(::GetDlgItem(main, 1042) != nullptr, !stored);
        EXPECT_EQ(GetCheck(main, 1019), stored);
        EXPECT_FALSE(IsEnabled(Control(main, kConnect))) << "no credentials yet";
        EXPECT_EQ(WindowRect(main).left, stored ? 120 : 300);
        EXPECT_EQ(WindowRect(main).top, stored ? 140 : 200);
        EXPECT_EQ(ReadDword(install.ProfileKey(), L"X"), stored ? std::optional<DWORD>(120) : std::nullopt);
        const int right = static_cast<int>(WindowRect(::GetDesktopWindow()).right);
        struct Move {
            int x, y;
            DWORD savedX, savedY;
        };
        const std::vector<Move> moves = {{0, 50, 120, 140}, {50, -10, 120, 140}, {right - 20, 50, 120, 140}, {77, 88, 77, 88}};
        for (const Move& move : stored ? moves : std::vector<Move>{}) {
            // Moved from another process, the window has handled the move when SetWindowPos returns.
            ::SetWindowPos(main, nullptr, move.x, move.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            EXPECT_EQ(ReadDword(install.ProfileKey(), L"X"), move.savedX) << "move to " << move.x << "," << move.y;
            EXPECT_EQ(ReadDword(install.ProfileKey(), L"Y"), move.savedY);
        }
        End(corvane, main);
    }
}

// " -s" and " -r" count only in this case and after a blank, wherever they stand.
TEST_F(StartupTest, SwitchesAreCaseSensitiveSubstringsAfterABlank)
{
    for (const auto& [arguments, window] : {std::pair{L"-S", true}, {L"x-r", true}, {L"-rx", false}, {L"-r -s", false}}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(arguments)));
        Program corvane = install.Start(arguments);
        HWND main = window ? WaitForMainWindow(corvane) : nullptr;
        if (window) {
            ASSERT_NE(main, nullptr);
            End(corvane, main);
        }
        EXPECT_EQ(corvane.WaitForExit(kStepLimit), std::optional<DWORD>(0)) << "a copy without a window ends by itself";
    }
}

// A second copy, with or without " -r", only shows the first one's window and
// leaves the proxy settings the first one holds alone; so does a double-click
// on the first one's tray icon.
TEST_F(StartupTest, ASecondCopyOnlyBringsTheFirstOneBack)
{
    Program first = install.Start(L"-s");
    HWND main = WaitForMainWindow(first, false);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return !IsVisible(main); }, kStepLimit)) << "-s hides the window";
    ASSERT_NE(FindTrayWindow(first.Id()), nullptr) << "only the tray is left";
    Write(kInternetSettings, L"ProxyEnable", 1);
    Write(kInternetSettings, L"ProxyServer", L"socks=localhost:1234");
    for (const wchar_t* arguments : {L"", L"-r"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(arguments)));
        EXPECT_EQ(install.Start(arguments).WaitForExit(kStepLimit), std::optional<DWORD>(0));
        EXPECT_TRUE(WaitUntil([&] { return IsVisible(main); }, kStepLimit));
        EXPECT_EQ(ReadDword(kInternetSettings, L"ProxyEnable"), std::optional<DWORD>(1));
        EXPECT_EQ(ReadString(kInternetSettings, L"ProxyServer"), L"socks=localhost:1234");
        ::ShowWindow(main, SW_HIDE);
    }
    SendTrayCallback(first.Id(), WM_LBUTTONDBLCLK);
    EXPECT_TRUE(WaitUntil([&] { return IsVisible(main); }, kStepLimit)) << "a double-click on the icon shows it";
    End(first, main);
}

// With Connect disabled the dialog manager turns Enter into IDOK, which must
// not end the program: the character typed after it still reaches the edit.
TEST_F(StartupTest, EnterDoesNotEndTheProgram)
{
    Program corvane = install.Start();
    HWND main = WaitForMainWindow(corvane);
    ASSERT_NE(main, nullptr);
    for (const auto& [message, key] : {std::pair{WM_KEYDOWN, VK_RETURN}, {WM_KEYUP, VK_RETURN}, {WM_CHAR, 'x'}})
        ::PostMessageW(Control(main, kUsername), message, key, 0);
    EXPECT_TRUE(WaitUntil([&] { return corvane.IsRunning() && GetText(main, kUsername) == L"x"; }, kStepLimit))
        << "Enter ended the program";
    End(corvane, main);
}

// The system ends the session as it would: it asks, then tells, every
// top-level window; a connected Corvane leaves the system direct before it is
// ended, with no tunnel and no tunnel files left.
TEST_F(StartupTest, TheEndOfTheSessionWhileConnectedLeavesTheSystemDirect)
{
    Program corvane = install.Start();
    HWND main = WaitForMainWindow(corvane);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(ConnectAs(main, L"stay-session", L"secret"));
    EXPECT_EQ(ReadString(kInternetSettings, L"ProxyServer"), L"socks=localhost:1234");
    EXPECT_EQ(ProcessesNamed(L"plink.exe", corvane.Id()).size(), 1u);

    DWORD_PTR answer = 0;
    ASSERT_TRUE(::SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &answer));
    EXPECT_NE(answer, 0u) << "Corvane lets the session end";
    ASSERT_TRUE(::SendMessageTimeoutW(main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 10000, &answer));
    EXPECT_EQ(ReadDword(kInternetSettings, L"ProxyEnable"), std::optional<DWORD>(0));
    EXPECT_EQ(ReadString(kInternetSettings, L"ProxyServer").value_or(L""), L"");
    EXPECT_TRUE(ProcessesNamed(L"plink.exe").empty());
    EXPECT_EQ(ProcessFiles(), 0u);
    corvane.Terminate(0);  // as the system ends a process after its session
}

}  // namespace
