#include "browsers/BrowserMatch.h"
#include "browsers/WarningText.h"

#include <string>

#include <gtest/gtest.h>

namespace {

// Catches a browser missed for its case or a longer name, another program
// taken for one, and a non-ASCII letter folded into an ASCII one.
TEST(BrowserTextTest, BrowsersByImageName)
{
    const struct { std::wstring imageName; uint32_t browsers; } rows[] = {
        {L"firefox.exe", BROWSER_FIREFOX}, {L"FireFox.EXE", BROWSER_FIREFOX}, {L"IExplore.exe", BROWSER_IE},
        {L"myfirefox.exe", BROWSER_FIREFOX}, {L"firefox.exe.bak", BROWSER_FIREFOX}, {L"chrome.exe", 0},
        {L"firefox.ex", 0}, {L"", 0}, {L"iexplore.exe-firefox.exe", BROWSER_IE | BROWSER_FIREFOX},
        {L"\u0131explore.exe", 0},  // a dotless i is not an I
    };
    for (const auto& r : rows)
        EXPECT_EQ(BrowserBitsOfImageName(r.imageName), r.browsers) << testing::PrintToString(r.imageName);
}

// The warnings are byte-exact, their odd "\n\r" included. The opening and the
// list of browsers are independent, so each shows in one row.
TEST(BrowserTextTest, BrowserWarnings)
{
    const struct { bool connected, switching; uint32_t browsers; std::wstring text; } rows[] = {
        {false, false, 3,
         L"Activating Corvane will close the following open browser windows: \n\rIE and Firefox.\n\rSelect OK to continue."},
        {true, false, 2,
         L"Deactivating Corvane will close the following open browser windows: \n\rFirefox.\n\rSelect OK to continue."},
        {true, true, 1,
         L"Switching servers will close the following open browser windows: \n\rIE.\n\rSelect OK to continue."},
        {false, true, 0,
         L"Switching servers will close the following open browser windows: \n\r.\n\rSelect OK to continue."},
        // Only the two low bits name browsers.
        {true, false, 0x6,
         L"Deactivating Corvane will close the following open browser windows: \n\rFirefox.\n\rSelect OK to continue."},
    };
    for (const auto& r : rows)
        EXPECT_EQ(ComposeBrowserWarning(r.connected, r.browsers, r.switching), r.text) << testing::PrintToString(r.text);

    const std::wstring exitLong = L"Your IP address is still hidden.  Closing the application will reset your IP address"
                                  L"\nand will close the following open browser windows: \n\r";
    EXPECT_EQ(ComposeExitWarning(0), L"\nYour IP address is still hidden.  Closing the application will reset your IP "
                                     L"address.\nSelect OK to continue.");
    EXPECT_EQ(ComposeExitWarning(1), exitLong + L"IE.\nSelect OK to continue.");
    EXPECT_EQ(ComposeExitWarning(2), exitLong + L"Firefox.\nSelect OK to continue.");
    EXPECT_EQ(ComposeExitWarning(3), exitLong + L"IE and Firefox.\nSelect OK to continue.");
}

TEST(BrowserTextTest, SwitchServerQuestionNamesBothServerRows)
{
    EXPECT_EQ(SwitchServerQuestion(2, 3),
              L"Do you wish to disconnect from the Rotating Netherlands server and connect to the US Static IP 1 server?");
    EXPECT_EQ(SwitchServerQuestion(0, 12), L"Do you wish to disconnect from the Rotating United States server and "
                                           L"connect to the Canada Static IP 5 server?");
    EXPECT_EQ(SwitchServerQuestion(-1, 13), L"Do you wish to disconnect from the  server and connect to the  server?");
}

}  // namespace
