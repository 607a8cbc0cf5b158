#include "CommandLine.h"

#include <gtest/gtest.h>

#include <climits>
#include <ostream>
#include <string>
#include <vector>

namespace {

using driver::cli::Command;
using driver::cli::ParseCommandLine;
using driver::cli::Verb;
using namespace std::chrono_literals;

// ASCII view of a text for test names; other characters show as '?'.
std::string Ascii(const std::wstring& text)
{
    std::string ascii;
    for (wchar_t c : text)
        ascii += c > 0x20 && c < 0x7F ? static_cast<char>(c) : c == L' ' ? '_' : '?';
    return ascii;
}

std::string Joined(const std::vector<std::wstring>& args)
{
    if (args.empty())
        return "(nothing)";
    std::string joined = Ascii(args.front());
    for (std::size_t i = 1; i < args.size(); ++i) {
        joined += ' ';
        joined += args[i].empty() ? std::string("''") : Ascii(args[i]);
    }
    return joined;
}

struct GoodCase {
    std::vector<std::wstring> args;
    Command expected;
    friend void PrintTo(const GoodCase& c, std::ostream* out) { *out << Joined(c.args); }
};

Command Make(Verb verb, std::wstring title, int id = 0, int number = 0, std::wstring text = {},
             std::chrono::milliseconds timeout = driver::cli::kDefaultWindowTimeout, bool wait = true)
{
    return Command{verb, std::move(title), id, number, std::move(text), timeout, wait};
}

class ParseGoodTest : public testing::TestWithParam<GoodCase> {};

TEST_P(ParseGoodTest, GivesTheCommand)
{
    const auto result = ParseCommandLine(GetParam().args);
    ASSERT_TRUE(result.command) << result.error;
    EXPECT_EQ(*result.command, GetParam().expected);
}

const std::wstring kTitle = L"Corvane v.3.00";

INSTANTIATE_TEST_SUITE_P(Actions, ParseGoodTest, testing::Values(
    GoodCase{{L"wait", kTitle}, Make(Verb::Wait, kTitle)},
    GoodCase{{L"wait", kTitle, L"2500"}, Make(Verb::Wait, kTitle, 0, 0, {}, 2500ms)},
    GoodCase{{L"wait-closed", kTitle, L"0"}, Make(Verb::WaitClosed, kTitle, 0, 0, {}, 0ms)},
    GoodCase{{L"text", kTitle, L"1016"}, Make(Verb::Text, kTitle, 1016)},
    GoodCase{{L"text", L"Corvane", L"0xFFFF"}, Make(Verb::Text, L"Corvane", 0xFFFF)},
    GoodCase{{L"set", kTitle, L"1003", L"alice"}, Make(Verb::Set, kTitle, 1003, 0, L"alice")},
    GoodCase{{L"set", kTitle, L"1003", L""}, Make(Verb::Set, kTitle, 1003, 0, L"")},
    GoodCase{{L"click", kTitle, L"1016"}, Make(Verb::Click, kTitle, 1016)},
    GoodCase{{L"check", kTitle, L"1019"}, Make(Verb::Check, kTitle, 1019)},
    GoodCase{{L"set-check", kTitle, L"1019", L"1"}, Make(Verb::SetCheck, kTitle, 1019, 1)},
    GoodCase{{L"combo", kTitle, L"1008"}, Make(Verb::Combo, kTitle, 1008)},
    GoodCase{{L"selected", kTitle, L"1008"}, Make(Verb::Selected, kTitle, 1008)},
    GoodCase{{L"select", kTitle, L"1008", L"4"}, Make(Verb::Select, kTitle, 1008, 4)},
    GoodCase{{L"select", kTitle, L"1008", L"4", L"--no-wait"},
             Make(Verb::Select, kTitle, 1008, 4, {}, driver::cli::kDefaultWindowTimeout, false)},
    GoodCase{{L"box-text"}, Make(Verb::BoxText, L"Corvane", 0, 0, {}, driver::cli::kDefaultBoxTimeout)},
    GoodCase{{L"box-text", L"800", L"--title", L"Corvane Warning"},
             Make(Verb::BoxText, L"Corvane Warning", 0, 0, {}, 800ms)},
    GoodCase{{L"answer", L"IDOK"}, Make(Verb::Answer, L"Corvane", 0, 1, {}, driver::cli::kDefaultBoxTimeout)},
    GoodCase{{L"answer", L"--title", L"Closing Corvane", L"IDCANCEL", L"100"},
             Make(Verb::Answer, L"Closing Corvane", 0, 2, {}, 100ms)},
    GoodCase{{L"answer", L"7"}, Make(Verb::Answer, L"Corvane", 0, 7, {}, driver::cli::kDefaultBoxTimeout)},
    GoodCase{{L"command", kTitle, L"32823"}, Make(Verb::Command, kTitle, 32823)},
    GoodCase{{L"tray", kTitle, L"WM_RBUTTONUP"}, Make(Verb::Tray, kTitle, 0, 0x205)},
    GoodCase{{L"tray", kTitle, L"0x203"}, Make(Verb::Tray, kTitle, 0, 0x203)},
    GoodCase{{L"menu", kTitle, L"3"}, Make(Verb::Menu, kTitle, 0, 3)},
    GoodCase{{L"menu-close", kTitle}, Make(Verb::MenuClose, kTitle)},
    GoodCase{{L"screenshot", L"out.bmp"}, Make(Verb::Screenshot, L"", 0, 0, L"out.bmp")},
    GoodCase{{L"screenshot", L"out.bmp", kTitle}, Make(Verb::Screenshot, kTitle, 0, 0, L"out.bmp")}));

struct BadCase {
    std::vector<std::wstring> args;
    std::string errorPiece;
    friend void PrintTo(const BadCase& c, std::ostream* out) { *out << Joined(c.args); }
};

class ParseBadTest : public testing::TestWithParam<BadCase> {};

TEST_P(ParseBadTest, SaysWhatIsWrong)
{
    const auto result = ParseCommandLine(GetParam().args);
    EXPECT_FALSE(result.command);
    EXPECT_NE(result.error.find(GetParam().errorPiece), std::string::npos) << result.error;
}

INSTANTIATE_TEST_SUITE_P(Mistakes, ParseBadTest, testing::Values(
    BadCase{{}, "no action"},
    BadCase{{L"push", kTitle, L"1"}, "unknown action: push"},
    BadCase{{L"text", kTitle}, "wrong number of arguments for text"},
    BadCase{{L"text", kTitle, L"1016", L"extra"}, "wrong number of arguments"},
    BadCase{{L"text", kTitle, L"10x6"}, "not a number for the id: 10x6"},
    BadCase{{L"wait", kTitle, L"-5"}, "negative time-out"},
    BadCase{{L"wait", kTitle, L"soon"}, "not a number for the time-out"},
    BadCase{{L"set-check", kTitle, L"1019", L"yes"}, "0 or 1"},
    BadCase{{L"select", kTitle, L"1008", L"-1"}, "negative index"},
    BadCase{{L"answer", L"IDMAYBE"}, "unknown button: IDMAYBE"},
    BadCase{{L"tray", kTitle, L"WM_KEYDOWN"}, "unknown mouse message"},
    BadCase{{L"menu", kTitle, L"-2"}, "negative position"},
    BadCase{{L"menu", kTitle}, "wrong number of arguments for menu"},
    BadCase{{L"box-text", L"--title"}, "--title needs a caption"},
    BadCase{{L"text", kTitle, L"1", L"--title", L"x"}, "--title applies to"},
    BadCase{{L"click", kTitle, L"1", L"--no-wait"}, "--no-wait applies to select only"},
    BadCase{{L"text", L"\u00DCber", L"\u00FC"}, "not a number for the id: ?"}));

struct IntegerCase {
    std::wstring text;
    std::optional<int> value;
    friend void PrintTo(const IntegerCase& c, std::ostream* out) { *out << "'" << Ascii(c.text) << "'"; }
};

class ParseIntegerTest : public testing::TestWithParam<IntegerCase> {};

TEST_P(ParseIntegerTest, ReadsDecimalAndHexadecimal)
{
    EXPECT_EQ(driver::cli::ParseInteger(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Texts, ParseIntegerTest, testing::Values(
    IntegerCase{L"0", 0}, IntegerCase{L"32823", 32823}, IntegerCase{L"-1", -1},
    IntegerCase{L"0xFFFF", 0xFFFF}, IntegerCase{L"0x1f", 31}, IntegerCase{L"2147483647", INT_MAX},
    IntegerCase{L"-2147483648", INT_MIN}, IntegerCase{L"2147483648", std::nullopt},
    IntegerCase{L"99999999999999999999", std::nullopt}, IntegerCase{L"", std::nullopt},
    IntegerCase{L"-", std::nullopt}, IntegerCase{L"0x", std::nullopt}, IntegerCase{L"12 ", std::nullopt},
    IntegerCase{L"1e3", std::nullopt}, IntegerCase{L"0x1g", std::nullopt}));

}  // namespace
