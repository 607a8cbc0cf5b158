#include "ui/Credentials.h"

#include <ostream>
#include <string>

#include <gtest/gtest.h>

namespace {

// The forbidden set as string resource 170 holds it.
constexpr std::wstring_view kString170 = L"\" ~`!@#$%&*()<>{}[]\"'?<>,:;+=/\\.\"";

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
    EXPECT_EQ(HasForbiddenCharacter(GetParam().text, kString170), GetParam().forbidden);
    EXPECT_EQ(IsRefusedCredential(GetParam().text, kString170), GetParam().refused);
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
