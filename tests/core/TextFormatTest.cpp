#include "framework/TextFormat.h"

#include <string>

#include <gtest/gtest.h>

namespace {

// Catches an argument read as a format, "%%" not halved, a placeholder
// without its argument that crashes or vanishes, other conversions expanded,
// a number cut short and a byte widened as anything but its own value.
TEST(TextFormatTest, FormattedTexts)
{
    const std::pair<std::wstring, std::wstring> rows[] = {
        {FormatText(L"Unable to re-connect to server '%s'.", {L"127.0.0.2"}),
         L"Unable to re-connect to server '127.0.0.2'."},
        {FormatText(L"%s@%s", {L"user", L"host"}), L"user@host"}, {FormatText(L"100%% of %s", {L"it"}), L"100% of it"},
        {FormatText(L"%%s", {L"x"}), L"%s"}, {FormatText(L"%s and %s", {L"one"}), L"one and %s"},
        {FormatText(L"[%s] [%s]", {L"%s", L"b"}), L"[%s] [b]"}, {FormatText(L"50% %d %", {L"x"}), L"50% %d %"},
        {FormatText(L"%S", {L"x"}), L"%S"}, {DecimalText(0), L"0"},
        {DecimalText(18446744073709551615ull), L"18446744073709551615"},
        {WidenBytes(std::string("a\0\xFF", 3)), std::wstring{L'a', L'\0', wchar_t{0xFF}}},
    };
    for (const auto& [text, expected] : rows)
        EXPECT_EQ(text, expected);
}

}  // namespace
