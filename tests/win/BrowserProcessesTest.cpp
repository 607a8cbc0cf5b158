// Detection and closing of browsers on real processes: copies of the project's
// sleeper program started under browser names. The matching of names is
// tested natively; this is its wiring to the process list.
#include "BrowserStandIns.h"

#include "browsers/BrowserMatch.h"
#include "browsers/BrowserProcesses.h"

#include <gtest/gtest.h>

TEST(BrowserProcesses, TheRunningBrowsersAreFoundAndClosedAndNoOtherProgram)
{
    BrowserStandIns standIns;
    std::vector<SleeperProcess*> browsers{&standIns.Start(L"IExplore.exe"), &standIns.Start(L"myfirefox.exe"),
                                          &standIns.Start(L"firefox.exe")};
    SleeperProcess& other = standIns.Start(L"chrome.exe");
    EXPECT_EQ(DetectBrowsers(), BROWSER_IE | BROWSER_FIREFOX);
    CloseBrowsers();
    for (SleeperProcess* browser : browsers)
        EXPECT_TRUE(browser->EndsWithin(kProcessEndTimeoutMs));
    EXPECT_TRUE(other.IsRunning());
    EXPECT_EQ(DetectBrowsers(), 0u);
}
