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

// The warnings and the switch question are byte-exact, their odd "\n\r"
// included. The opening and the list of browsers are independent, so each
// shows in one row; only the two low bits name browsers.
TEST(BrowserTextTest, WarningsAndSwitchQuestion)
{
    const std::wstring close = L" will close the following open browser windows: \n\r", ok = L"Select OK to continue.",
                       ask = L"Do you wish to disconnect from the ",
                       to = L" server and connect to the ",
                       exit = L"Your IP address is still hidden.  Closing the application will reset your IP address";
    const std::pair<std::wstring, std::wstring> rows[] = {
        {ComposeBrowserWarning(false, 3, false), L"Activating Corvane" + close + L"IE and Firefox.\n\r" + ok},
        {ComposeBrowserWarning(true, 2, false), L"Deactivating Corvane" + close + L"Firefox.\n\r" + ok},
        {ComposeBrowserWarning(true, 1, true), L"Switching servers" + close + L"IE.\n\r" + ok},
        {ComposeBrowserWarning(false, 0, true), L"Switching servers" + close + L".\n\r" + ok},
        {ComposeBrowserWarning(true, 0x6, false), L"Deactivating Corvane" + close + L"Firefox.\n\r" + ok},
        {ComposeExitWarning(0), L"\n" + exit + L".\n" + ok},
        {ComposeExitWarning(1), exit + L"\nand" + close + L"IE.\n" + ok},
        {ComposeExitWarning(2), exit + L"\nand" + close + L"Firefox.\n" + ok},
        {ComposeExitWarning(3), exit + L"\nand" + close + L"IE and Firefox.\n" + ok},
        {SwitchServerQuestion(2, 3), ask + L"Rotating Netherlands" + to + L"US Static IP 1 server?"},
        {SwitchServerQuestion(0, 12), ask + L"Rotating United States" + to + L"Canada Static IP 5 server?"},
        {SwitchServerQuestion(-1, 13), ask + to + L" server?"},
    };
    for (const auto& [text, expected] : rows)
        EXPECT_EQ(text, expected);
}

}  // namespace
