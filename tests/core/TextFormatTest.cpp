#include "framework/TextFormat.h"

#include <string>

#include <gtest/gtest.h>

namespace {

// Catches an argument read as a format, "%%" not halved, a placeholder
// without its argument that crashes or vanishes, and other conversions expanded.
TEST(TextFormatTest, FormatText)
{
    EXPECT_EQ(FormatText(L"Unable to re-connect to server '%s'.", {L"127.0.0.2"}),
              L"Unable to re-connect to server '127.0.0.2'.");
    EXPECT_EQ(FormatText(L"%s@%s", {L"user", L"host"}), L"user@host");
    EXPECT_EQ(FormatText(L"100%% of %s", {L"it"}), L"100% of it");
    EXPECT_EQ(FormatText(L"%%s", {L"x"}), L"%s");
    EXPECT_EQ(FormatText(L"%s and %s", {L"one"}), L"one and %s");
    EXPECT_EQ(FormatText(L"[%s] [%s]", {L"%s", L"b"}), L"[%s] [b]");
    EXPECT_EQ(FormatText(L"50% %d %", {L"x"}), L"50% %d %");
    EXPECT_EQ(FormatText(L"%S", {L"x"}), L"%S");
}

TEST(TextFormatTest, DecimalAndWidenedBytes)
{
    EXPECT_EQ(DecimalText(0), L"0");
    EXPECT_EQ(DecimalText(18446744073709551615ull), L"18446744073709551615");
    EXPECT_EQ(WidenBytes(std::string("a\0\xFF", 3)), (std::wstring{L'a', L'\0', wchar_t{0xFF}}));
}

}  // namespace
