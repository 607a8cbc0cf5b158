// Start-up of the real Corvane.exe under Wine, driven from outside: the single
// instance, the command-line switches, the dialog template, the window
// position and the commands that end it.
#include "E2eSupport.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <filesystem>

namespace {

using namespace std::chrono_literals;
using namespace driver;

constexpr auto kExitTimeout = 20000ms;

int RunningPlinks()
{
    UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    int count = 0;
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry))
        count += _wcsicmp(entry.szExeFile, L"plink.exe") == 0 ? 1 : 0;
    return count;
}

// Process files in the temporary folder that Corvane shares with this test.
int ProcessFilesLeft()
{
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::temp_directory_path())) {
        const std::wstring name = entry.path().filename().wstring();
        const std::wstring extension = entry.path().extension().wstring();
        if (name.starts_with(L"Process") && (extension == L".in" || extension == L".out" || extension == L".err"))
            ++count;
    }
    return count;
}

class StartupTest : public testing::Test {
protected:
    CorvaneInstall install;
};

TEST_F(StartupTest, AFreshProfileShowsTheSignUpTemplateWithItsTitle)
{
    Program corvane = install.Start();
    HWND main = WaitForMainWindow(corvane);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(WindowTitle(main), kMainTitle);
    EXPECT_NE(::GetDlgItem(main, 1043), nullptr) << "the sign-up link of template 149";
    EXPECT_NE(::GetDlgItem(main, 1042), nullptr);
    for (int id : {1003, 1004, 1007, 1008, 1009, 1016, 1019, 1022, 1023, 1024})
        EXPECT_NE(::GetDlgItem(main, id), nullptr) << "control " << id;
    EXPECT_FALSE(IsEnabled(Control(main, 1016))) << "no credentials yet";
    RECT window;
    ::GetWindowRect(main, &window);
    EXPECT_EQ(window.left, 300);
    EXPECT_EQ(window.top, 200);

    SendCommand(main, 32823);
    EXPECT_EQ(corvane.WaitForExit(kExitTimeout), std::optional<DWORD>(0));
}

TEST_F(StartupTest, RememberChoosesTheTemplateWithoutTheSignUpLink)
{
    install.WriteInt(L"Remember", 7);
    Program corvane = install.Start();
    HWND main = WaitForMainWindow(corvane);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(::GetDlgItem(main, 1043), nullptr);
    EXPECT_EQ(::GetDlgItem(main, 1042), nullptr);
    EXPECT_TRUE(GetCheck(main, 1019)) << "the stored value is the check state";
    SendCommand(main, 32823);
    EXPECT_TRUE(corvane.WaitForExit(kExitTimeout));
}

TEST_F(StartupTest, ASecondCopyOnlyBringsTheFirstOneBack)
{
    Program first = install.Start(L" -s");
    HWND main = WaitForMainWindow(first, false);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return !IsVisible(main); }, 10000ms)) << "-s hides the window";
    ASSERT_NE(FindTrayWindow(first.Id()), nullptr) << "only the tray is left";

    // Whatever the first copy left in the settings, the second touches nothing.
    const SystemProxyState marker{1, L"socks=localhost:1234"};
    WriteSystemProxy(marker);
    for (const wchar_t* arguments : {L"", L" -r"}) {
        Program second = install.Start(arguments);
        EXPECT_EQ(second.WaitForExit(kExitTimeout), std::optional<DWORD>(0));
        EXPECT_TRUE(WaitUntil([&] { return IsVisible(main); }, 5000ms)) << "restored by " << testing::PrintToString(arguments);
        const SystemProxyState after = ReadSystemProxy();
        EXPECT_EQ(after.proxyEnable, 1u);
        EXPECT_EQ(after.proxyServer, marker.proxyServer);
        ::ShowWindow(main, SW_HIDE);
    }
    EXPECT_TRUE(first.IsRunning());
    SendCommand(main, 32823);
    EXPECT_TRUE(first.WaitForExit(kExitTimeout));
}

TEST_F(StartupTest, RestoreOnlyShowsNoWindowAndEnds)
{
    Program corvane = install.Start(L" -r -s");
    EXPECT_EQ(corvane.WaitForExit(kExitTimeout), std::optional<DWORD>(0));
    EXPECT_EQ(FindTopLevelWindow({kMainTitle, L"", corvane.Id(), false}), nullptr);
}

TEST_F(StartupTest, SwitchesAreCaseSensitiveSubstringsAfterABlank)
{
    // " -S" is no switch: the window shows.
    Program corvane = install.Start(L" -S");
    HWND main = WaitForMainWindow(corvane);
    ASSERT_NE(main, nullptr);
    SendCommand(main, 32823);
    EXPECT_TRUE(corvane.WaitForExit(kExitTimeout));

    // " -rx" still counts as " -r".
    Program restoreOnly = install.Start(L" -rx");
    EXPECT_EQ(restoreOnly.WaitForExit(kExitTimeout), std::optional<DWORD>(0));
}

TEST_F(StartupTest, OnlyInScreenMovesAreRemembered)
{
    install.WriteInt(L"X", 120);
    install.WriteInt(L"Y", 140);
    Program corvane = install.Start();
    HWND main = WaitForMainWindow(corvane);
    ASSERT_NE(main, nullptr);
    RECT window;
    ::GetWindowRect(main, &window);
    EXPECT_EQ(window.left, 120);
    EXPECT_EQ(window.top, 140);
    EXPECT_EQ(install.ReadInt(L"X"), std::optional<DWORD>(120)) << "the first move is never saved";

    // Off-screen and edge positions are not saved; a position inside is.
    struct Move {
        int x, y;
        DWORD savedX, savedY;
    };
    const RECT desktop = [] { RECT r; ::GetWindowRect(::GetDesktopWindow(), &r); return r; }();
    for (const Move& move : {Move{0, 50, 120, 140}, Move{50, -10, 120, 140},
                             Move{static_cast<int>(desktop.right) - 20, 50, 120, 140}, Move{77, 88, 77, 88}}) {
        ::SetWindowPos(main, nullptr, move.x, move.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        EXPECT_TRUE(WaitUntil([&] { return install.ReadInt(L"X") == move.savedX && install.ReadInt(L"Y") == move.savedY; },
                              5000ms))
            << "move to " << move.x << "," << move.y;
    }
    SendCommand(main, 32823);
    EXPECT_TRUE(corvane.WaitForExit(kExitTimeout));
}

// The system ends the session as it would: it asks, then tells, every
// top-level window; a connected Corvane leaves the system direct before it is
// ended.
TEST_F(StartupTest, TheEndOfTheSessionWhileConnectedLeavesTheSystemDirect)
{
    Program corvane = install.Start();
    HWND main = WaitForMainWindow(corvane);
    ASSERT_NE(main, nullptr);
    SetEditText(main, 1003, L"stay-session");
    SetEditText(main, 1004, L"secret");
    Click(main, 1016);
    ASSERT_TRUE(WaitUntil([&] { return GetText(main, 1016) == L"Disconnect"; }, 10000ms));
    EXPECT_EQ(ReadSystemProxy().proxyServer, L"socks=localhost:1234");
    EXPECT_EQ(RunningPlinks(), 1);

    DWORD_PTR answer = 0;
    ASSERT_TRUE(::SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 5000, &answer));
    EXPECT_NE(answer, 0u) << "Corvane lets the session end";
    ASSERT_TRUE(::SendMessageTimeoutW(main, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 10000, &answer));

    const SystemProxyState proxy = ReadSystemProxy();
    EXPECT_EQ(proxy.proxyEnable, 0u);
    EXPECT_EQ(proxy.proxyServer, L"");
    EXPECT_EQ(RunningPlinks(), 0);
    EXPECT_EQ(ProcessFilesLeft(), 0);
    corvane.Terminate(0);  // as the system ends a process after its session
}

TEST_F(StartupTest, EnterPressesConnectNotOk)
{
    Program corvane = install.Start();
    HWND main = WaitForMainWindow(corvane);
    ASSERT_NE(main, nullptr);
    // With Connect disabled the dialog manager would turn Enter into IDOK,
    // which must not end the program.
    HWND username = Control(main, 1003);
    ::PostMessageW(username, WM_KEYDOWN, VK_RETURN, 0);
    ::PostMessageW(username, WM_KEYUP, VK_RETURN, 0);
    EXPECT_FALSE(corvane.WaitForExit(1500ms)) << "Enter ended the program";
    SendCommand(main, 32823);
    EXPECT_TRUE(corvane.WaitForExit(kExitTimeout));
}

}  // namespace
