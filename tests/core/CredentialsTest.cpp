#include "ui/Credentials.h"

#include <iterator>
#include <ostream>
#include <set>
#include <string>

#include <gtest/gtest.h>

namespace {

TEST(CredentialsTest, ForbiddenSetHoldsTheUnitsOfString170InOrder)
{
    const wchar_t expected[] = {0x22, 0x20, 0x7E, 0x60, 0x21, 0x40, 0x23, 0x24, 0x25, 0x26, 0x2A,
                                0x28, 0x29, 0x3C, 0x3E, 0x7B, 0x7D, 0x5B, 0x5D, 0x22, 0x27, 0x3F,
                                0x3C, 0x3E, 0x2C, 0x3A, 0x3B, 0x2B, 0x3D, 0x2F, 0x5C, 0x2E, 0x22};
    EXPECT_EQ(kForbiddenCharacters, std::wstring_view(expected, std::size(expected)));
    EXPECT_EQ(kForbiddenCharacters.size(), 33u);
    EXPECT_EQ(std::set<wchar_t>(kForbiddenCharacters.begin(), kForbiddenCharacters.end()).size(), 29u);
}

TEST(CredentialsTest, ExactlyFourAsciiMarksPass)
{
    std::wstring passingMarks;
    for (wchar_t c = 0x21; c <= 0x7E; ++c) {
        const bool letterOrDigit = (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
        if (!letterOrDigit && !HasForbiddenCharacter(std::wstring(1, c)))
            passingMarks += c;
    }
    EXPECT_EQ(passingMarks, L"-^_|");
}

struct TextCase {
    std::wstring text;
    bool forbidden;  // holds a character of the forbidden set
    bool refused;    // refused as a credential
};

void PrintTo(const TextCase& c, std::ostream* os)
{
    *os << ::testing::PrintToString(c.text);
}

class ForbiddenTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(ForbiddenTextTest, RefusesTheWholeTextForOneForbiddenCharacter)
{
    EXPECT_EQ(HasForbiddenCharacter(GetParam().text), GetParam().forbidden);
    EXPECT_EQ(IsRefusedCredential(GetParam().text), GetParam().refused);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ForbiddenTextTest,
    ::testing::Values(TextCase{L"", false, false}, TextCase{L"john_doe-1^|", false, false},
                      TextCase{L"john_doe-1^|.", true, true}, TextCase{L"john doe", true, true},
                      TextCase{L"pa\\ss", true, true}, TextCase{L"\"", true, true},
                      TextCase{L"caf\u00E9\u2019\uFFFF", false, false}, TextCase{L"ABCxyz0189", false, false},
                      TextCase{L"a@b", true, true},
                      // Control characters would split the word into plink options.
                      TextCase{L"x\t-proxycmd\tcalc.exe", true, true}, TextCase{L"a\tb", false, true},
                      TextCase{L"a\rb", false, true}, TextCase{L"a\nb", false, true},
                      TextCase{L"\x01", false, true}, TextCase{L"\x1F", false, true},
                      TextCase{L"a\x7F", false, true}, TextCase{std::wstring(L"a\0b", 3), false, true},
                      // A leading dash would make the word an option; inside it is a plain mark.
                      TextCase{L"-pw", false, true}, TextCase{L"-", false, true}, TextCase{L"a-b-", false, false}));

TEST(CredentialsTest, AnotherSetCanBeGiven)
{
    EXPECT_TRUE(HasForbiddenCharacter(L"abc", L"c"));
    EXPECT_FALSE(HasForbiddenCharacter(L"a b", L""));
}

}  // namespace
