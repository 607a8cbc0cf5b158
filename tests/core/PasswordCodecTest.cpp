#include "ui/PasswordCodec.h"

#include <algorithm>
#include <ostream>
#include <random>
#include <string>

#include <gtest/gtest.h>

namespace {

struct CodecCase {
    std::wstring plain;
    std::wstring encoded;
};

void PrintTo(const CodecCase& c, std::ostream* os)
{
    *os << ::testing::PrintToString(c.plain);
}

class EncodePasswordTest : public ::testing::TestWithParam<CodecCase> {};

TEST_P(EncodePasswordTest, GivesTheStoredForm)
{
    EXPECT_EQ(EncodePassword(GetParam().plain), GetParam().encoded);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, EncodePasswordTest,
    ::testing::Values(CodecCase{L"", L""}, CodecCase{L"abc", L"klm"},
                      CodecCase{L"xyz", L"\u201A\u0192\u201E"}, CodecCase{L"v", L"\u20AC"},
                      CodecCase{L"w", std::wstring(1, wchar_t{0x81})},
                      CodecCase{L"Pass-9_^|", L"Zk}}7Cih\u0086"},
                      // U+FFF6 + 10 wraps to U+0000, which ends the text there.
                      CodecCase{L"ab\uFFF6cd", L"kl"},
                      // Wrap-around keeps every unit within 16 bits.
                      CodecCase{L"\uFFFF", std::wstring(1, wchar_t{0x0009})}));

TEST(PasswordCodecTest, DecodesTheExamples)
{
    EXPECT_EQ(DecodePassword(L"klm"), L"abc");
    EXPECT_EQ(DecodePassword(L"\u201A\u0192\u201E"), L"xyz");
    EXPECT_EQ(DecodePassword(L"\u20AC"), L"v");
    EXPECT_EQ(DecodePassword(std::wstring(1, wchar_t{0x81})), L"w");
    EXPECT_EQ(DecodePassword(std::wstring(1, wchar_t{0x0009})), std::wstring(1, wchar_t{0xFFFF}));
    // '\n' - 10 is U+0000: the decoded text ends there.
    EXPECT_EQ(DecodePassword(L"kl\nm"), L"ab");
}

TEST(PasswordCodecTest, FourCodePointsCollideWithTheSpecialLetters)
{
    // Their shifted values are the special codes, so they come back as letters.
    const std::wstring colliding = L"\u20A2\u2010\u0188\u2014";
    EXPECT_EQ(EncodePassword(colliding), EncodePassword(L"vxyz"));
    EXPECT_EQ(DecodePassword(EncodePassword(colliding)), L"vxyz");
}

struct LengthCase {
    size_t inputUnits;
    size_t keptUnits;
};

void PrintTo(const LengthCase& c, std::ostream* os)
{
    *os << c.inputUnits << " units";
}

class CodecBufferTest : public ::testing::TestWithParam<LengthCase> {};

TEST_P(CodecBufferTest, HandlesAtMost63UnitsAndDropsTheRest)
{
    std::wstring plain;
    for (size_t i = 0; i < GetParam().inputUnits; ++i)
        plain += static_cast<wchar_t>(L'a' + i % 21);
    const std::wstring encoded = EncodePassword(plain);
    ASSERT_EQ(encoded.size(), GetParam().keptUnits);
    EXPECT_EQ(DecodePassword(encoded), plain.substr(0, GetParam().keptUnits));
    const std::wstring longEncoded = encoded + encoded;
    EXPECT_EQ(DecodePassword(longEncoded).size(), std::min<size_t>(longEncoded.size(), 63));
}

INSTANTIATE_TEST_SUITE_P(Lengths, CodecBufferTest,
                         ::testing::Values(LengthCase{15, 15}, LengthCase{62, 62}, LengthCase{63, 63},
                                           LengthCase{64, 63}, LengthCase{100, 63}));

TEST(PasswordCodecTest, DecodingTheEncodingGivesEveryAsciiPasswordBack)
{
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> length(0, 63);
    std::uniform_int_distribution<int> unit(0x01, 0x7F);
    for (int round = 0; round < 5000; ++round) {
        std::wstring plain(static_cast<size_t>(length(random)), L'\0');
        for (wchar_t& c : plain)
            c = static_cast<wchar_t>(unit(random));
        const std::wstring encoded = EncodePassword(plain);
        ASSERT_EQ(encoded.size(), plain.size());
        for (wchar_t c : encoded)
            ASSERT_LE(static_cast<unsigned long>(c), 0xFFFFul);
        ASSERT_EQ(DecodePassword(encoded), plain) << "round " << round;
    }
}

}  // namespace
