#include "ui/PasswordCodec.h"

#include <random>
#include <string>

#include <gtest/gtest.h>

namespace {

// Catches a wrong shift, a lost special letter (v x y z are stored as their
// code page 1252 characters), a unit that leaves 16 bits, a wrap to U+0000
// that does not end the text, and more than the codec's 63 units kept.
TEST(PasswordCodecTest, StoredFormsOfTheExamples)
{
    const struct { std::wstring plain, encoded; } rows[] = {
        {L"", L""}, {L"abc", L"klm"}, {L"xyz", L"\u201A\u0192\u201E"}, {L"v", L"\u20AC"},
        {L"w", std::wstring(1, wchar_t{0x81})}, {L"Pass-9_^|", L"Zk}}7Cih\u0086"},
        {L"ab\uFFF6cd", L"kl"},  // U+FFF6 + 10 wraps to U+0000, which ends the text
        {L"\uFFFF", std::wstring(1, wchar_t{0x0009})}, {std::wstring(62, L'a'), std::wstring(62, L'k')},
        {std::wstring(63, L'a'), std::wstring(63, L'k')}, {std::wstring(64, L'a'), std::wstring(63, L'k')},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(EncodePassword(r.plain), r.encoded) << testing::PrintToString(r.plain);
        EXPECT_EQ(DecodePassword(r.encoded), r.plain.substr(0, r.encoded.size())) << testing::PrintToString(r.plain);
    }
    EXPECT_EQ(DecodePassword(std::wstring(64, L'k')), std::wstring(63, L'a'));
    EXPECT_EQ(DecodePassword(L"kl\nm"), L"ab");  // '\n' - 10 is U+0000
    // Their shifted values are the special codes, so they come back as letters.
    EXPECT_EQ(EncodePassword(L"\u20A2\u2010\u0188\u2014"), L"\u20AC\u201A\u0192\u201E");
    EXPECT_EQ(DecodePassword(L"\u20AC\u201A\u0192\u201E"), L"vxyz");
}

TEST(PasswordCodecTest, DecodingTheEncodingGivesEveryAsciiPasswordBack)
{
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> length(0, 63), unit(0x01, 0x7F);
    for (int round = 0; round < 5000; ++round) {
        std::wstring plain(static_cast<size_t>(length(random)), L'\0');
        for (wchar_t& c : plain)
            c = static_cast<wchar_t>(unit(random));
        const std::wstring encoded = EncodePassword(plain);
        for (wchar_t c : encoded)
            ASSERT_LE(static_cast<unsigned long>(c), 0xFFFFul);
        ASSERT_EQ(DecodePassword(encoded), plain) << "round " << round;
    }
}

}  // namespace
