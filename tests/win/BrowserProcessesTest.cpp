// Detection and closing of browsers on real processes: copies of the project's
// sleeper program started under browser names.
#include "BrowserStandIns.h"
#include "TestSupport.h"

#include "browsers/BrowserMatch.h"
#include "browsers/BrowserProcesses.h"
#include "browsers/WarningDialogs.h"
#include "browsers/Warnings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

namespace {

class BrowserProcesses : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(std::filesystem::exists(SleeperPath())) << "sleeper.exe is built beside win_tests.exe";
        // Every expectation below counts only the processes this test starts.
        ASSERT_EQ(DetectBrowsers(), 0u) << "a browser already runs in this prefix";
    }
};

struct DetectionCase {
    std::vector<std::wstring> imageNames;
    uint32_t expected;
};

TEST_F(BrowserProcesses, DetectsTheBrowsersByImageName)
{
    const DetectionCase cases[] = {
        {{L"chrome.exe", L"safari.exe"}, 0},
        {{L"firefox.exe"}, BROWSER_FIREFOX},
        {{L"IEXPLORE.EXE"}, BROWSER_IE},
        {{L"IExplore.exe", L"FireFox.exe"}, BROWSER_IE | BROWSER_FIREFOX},
        {{L"myfirefox.exe", L"chrome.exe"}, BROWSER_FIREFOX},
    };
    for (const DetectionCase& test : cases) {
        BrowserStandIns standIns;
        for (const std::wstring& name : test.imageNames)
            ASSERT_TRUE(standIns.Start(name).Started()) << testing::PrintToString(name);
        EXPECT_EQ(DetectBrowsers(), test.expected) << testing::PrintToString(test.imageNames);
    }
}

TEST_F(BrowserProcesses, CloseEndsEveryBrowserWithExitCodeZeroAndLeavesOthersRunning)
{
    BrowserStandIns standIns;
    std::vector<SleeperProcess*> browsers;
    for (const wchar_t* name : {L"firefox.exe", L"firefox.exe", L"firefox.exe", L"IEXPLORE.EXE", L"IEXPLORE.EXE",
                                L"myfirefox.exe"})
        browsers.push_back(&standIns.Start(name));
    SleeperProcess& chrome = standIns.Start(L"chrome.exe");
    for (SleeperProcess* browser : browsers)
        ASSERT_TRUE(browser->Started());
    ASSERT_TRUE(chrome.Started());
    ASSERT_EQ(DetectBrowsers(), BROWSER_IE | BROWSER_FIREFOX);

    CloseBrowsers();

    for (SleeperProcess* browser : browsers) {
        ASSERT_TRUE(browser->EndsWithin(kProcessEndTimeoutMs));
        EXPECT_EQ(browser->ExitCode(), 0u);
    }
    EXPECT_TRUE(chrome.IsRunning());
    EXPECT_EQ(DetectBrowsers(), 0u);
}

TEST_F(BrowserProcesses, CloseWithNoBrowserRunningEndsNothing)
{
    BrowserStandIns standIns;
    SleeperProcess& other = standIns.Start(L"notepad2.exe");
    ASSERT_TRUE(other.Started());

    CloseBrowsers();

    EXPECT_TRUE(other.IsRunning());
}

// The exit warning names the browsers that run when it is shown.
TEST_F(BrowserProcesses, ExitWarningNamesTheRunningBrowsers)
{
    ScopedTestProfile profile;
    MainDialogHarness harness;
    harness->m_bConnected = true;
    harness->m_warnings.exitMessage = true;
    BrowserStandIns standIns;
    ASSERT_TRUE(standIns.Start(L"firefox.exe").Started());
    ASSERT_TRUE(standIns.Start(L"iexplore.exe").Started());
    std::wstring shownText;
    ModalScript script([&](CDialog& dialog) {
        shownText = dynamic_cast<CDlgExitMessage&>(dialog).m_strMessage;
        return IDCANCEL;
    });

    EXPECT_FALSE(ConfirmExitWarning(harness.Dialog().m_warnings, harness.Dialog().m_bConnected));

    EXPECT_EQ(shownText,
              L"Your IP address is still hidden.  Closing the application will reset your IP address\n"
              L"and will close the following open browser windows: \n\rIE and Firefox.\nSelect OK to continue.");
}

}  // namespace
