#include "browsers/BrowserMatch.h"
#include "browsers/WarningText.h"

#include <ostream>
#include <string>

#include <gtest/gtest.h>

namespace {

struct NameCase {
    std::wstring imageName;
    uint32_t browsers;
};

void PrintTo(const NameCase& c, std::ostream* os)
{
    *os << ::testing::PrintToString(c.imageName);
}

class BrowserMatchTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(BrowserMatchTest, FindsTheBrowserInAnyCaseAndAsASubstring)
{
    EXPECT_EQ(BrowserBitsOfImageName(GetParam().imageName), GetParam().browsers);
}

INSTANTIATE_TEST_SUITE_P(
    ImageNames, BrowserMatchTest,
    ::testing::Values(NameCase{L"firefox.exe", BROWSER_FIREFOX}, NameCase{L"FireFox.EXE", BROWSER_FIREFOX},
                      NameCase{L"FIREFOX.EXE", BROWSER_FIREFOX}, NameCase{L"IExplore.exe", BROWSER_IE},
                      NameCase{L"iexplore.exe", BROWSER_IE}, NameCase{L"myfirefox.exe", BROWSER_FIREFOX},
                      NameCase{L"firefox.exe.bak", BROWSER_FIREFOX}, NameCase{L"chrome.exe", 0},
                      NameCase{L"firefox", 0}, NameCase{L"firefox.ex", 0}, NameCase{L"", 0},
                      NameCase{L"iexplore.exe-firefox.exe", BROWSER_IE | BROWSER_FIREFOX},
                      // Only ASCII letters are upper-cased: a dotless i is not an I.
                      NameCase{L"\u0131explore.exe", 0}));

struct WarningCase {
    bool connected;
    bool switching;
    uint32_t browsers;
    std::wstring text;
};

void PrintTo(const WarningCase& c, std::ostream* os)
{
    *os << (c.switching ? "switching" : c.connected ? "disconnecting" : "connecting") << " with set " << c.browsers;
}

class BrowserWarningTest : public ::testing::TestWithParam<WarningCase> {};

TEST_P(BrowserWarningTest, IsByteExact)
{
    const WarningCase& c = GetParam();
    EXPECT_EQ(ComposeBrowserWarning(c.connected, c.browsers, c.switching), c.text);
}

std::wstring Browser(const wchar_t* prefix, const wchar_t* list)
{
    return std::wstring(prefix) + L"will close the following open browser windows: \n\r" + list +
           L".\n\rSelect OK to continue.";
}

INSTANTIATE_TEST_SUITE_P(
    Situations, BrowserWarningTest,
    ::testing::Values(
        WarningCase{false, false, 3,
                    L"Activating Corvane will close the following open browser windows: \n\rIE and Firefox.\n\rSelect OK to continue."},
        WarningCase{true, false, 2,
                    L"Deactivating Corvane will close the following open browser windows: \n\rFirefox.\n\rSelect OK to continue."},
        WarningCase{true, true, 1,
                    L"Switching servers will close the following open browser windows: \n\rIE.\n\rSelect OK to continue."},
        WarningCase{false, false, 0, Browser(L"Activating Corvane ", L"")},
        WarningCase{false, false, 1, Browser(L"Activating Corvane ", L"IE")},
        WarningCase{false, false, 2, Browser(L"Activating Corvane ", L"Firefox")},
        WarningCase{true, false, 0, Browser(L"Deactivating Corvane ", L"")},
        WarningCase{true, false, 1, Browser(L"Deactivating Corvane ", L"IE")},
        WarningCase{true, false, 3, Browser(L"Deactivating Corvane ", L"IE and Firefox")},
        WarningCase{false, true, 0, Browser(L"Switching servers ", L"")},
        WarningCase{false, true, 2, Browser(L"Switching servers ", L"Firefox")},
        WarningCase{false, true, 3, Browser(L"Switching servers ", L"IE and Firefox")},
        // Only the two low bits name browsers.
        WarningCase{false, false, 0x6, Browser(L"Activating Corvane ", L"Firefox")}));

struct ExitCase {
    uint32_t browsers;
    std::wstring text;
};

void PrintTo(const ExitCase& c, std::ostream* os)
{
    *os << "set " << c.browsers;
}

class ExitWarningTest : public ::testing::TestWithParam<ExitCase> {};

TEST_P(ExitWarningTest, IsByteExact)
{
    EXPECT_EQ(ComposeExitWarning(GetParam().browsers), GetParam().text);
}

const std::wstring kExitLong = L"Your IP address is still hidden.  Closing the application will reset your IP address"
                               L"\nand will close the following open browser windows: \n\r";

INSTANTIATE_TEST_SUITE_P(
    Sets, ExitWarningTest,
    ::testing::Values(
        ExitCase{0, L"\nYour IP address is still hidden.  Closing the application will reset your IP address.\nSelect OK to continue."},
        ExitCase{1, kExitLong + L"IE.\nSelect OK to continue."},
        ExitCase{2, kExitLong + L"Firefox.\nSelect OK to continue."},
        ExitCase{3,
                 L"Your IP address is still hidden.  Closing the application will reset your IP address\nand will close the "
                 L"following open browser windows: \n\rIE and Firefox.\nSelect OK to continue."}));

TEST(SwitchServerQuestionTest, NamesBothServerRows)
{
    EXPECT_EQ(SwitchServerQuestion(2, 3),
              L"Do you wish to disconnect from the Rotating Netherlands server and connect to the US Static IP 1 server?");
    EXPECT_EQ(SwitchServerQuestion(0, 12),
              L"Do you wish to disconnect from the Rotating United States server and connect to the Canada Static IP 5 server?");
}

TEST(SwitchServerQuestionTest, RowsOutsideTheCatalogueGiveEmptyNames)
{
    EXPECT_EQ(SwitchServerQuestion(-1, 13), L"Do you wish to disconnect from the  server and connect to the  server?");
}

}  // namespace
