#include "ui/Credentials.h"

#include <string>

#include <gtest/gtest.h>

namespace {

// The forbidden set as string resource 170 holds it.
constexpr std::wstring_view kString170 = L"\" ~`!@#$%&*()<>{}[]\"'?<>,:;+=/\\.\"";

// Catches a forbidden character let through, a control character that would
// split the word into further plink options (tab), a leading dash that would
// make the word an option itself, and a set of its own instead of the caller's.
TEST(CredentialsTest, RefusedTexts)
{
    // forbidden: holds a character of the set; refused: refused as a credential.
    const struct { std::wstring text; bool forbidden, refused; std::wstring_view set = kString170; } rows[] = {
        {L"", false, false}, {L"john_doe-1^|", false, false}, {L"caf\u00E9\u2019\uFFFF", false, false},
        {L"a-b-", false, false}, {L"john_doe-1^|.", true, true}, {L"john doe", true, true}, {L"pa\\ss", true, true},
        {L"\"", true, true}, {L"a@b", true, true}, {L"x\t-proxycmd\tcalc.exe", true, true}, {L"a\tb", false, true},
        {L"a\nb", false, true}, {L"\x1F", false, true}, {L"a\x7F", false, true}, {L"-pw", false, true},
        {std::wstring(L"a\0b", 3), false, true}, {L"abc", true, true, L"c"}, {L"a b", false, false, L""},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(HasForbiddenCharacter(r.text, r.set), r.forbidden) << testing::PrintToString(r.text);
        EXPECT_EQ(IsRefusedCredential(r.text, r.set), r.refused) << testing::PrintToString(r.text);
    }
}

}  // namespace
