#include "tunnel/TunnelText.h"

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

TEST(TunnelCommandLineTest, PutsTheUserTwiceAndThePasswordNowhere)
{
    const std::wstring pipe = L"\\\\.\\pipe\\Corvane-1A2B3C4D-5E6F-7a8b-9C0D-1E2F3A4B5C6D";
    EXPECT_EQ(PasswordPipeName(L"1A2B3C4D-5E6F-7a8b-9C0D-1E2F3A4B5C6D"), pipe);
    EXPECT_EQ(TunnelCommandLine(L"alice", pipe, L"127.0.0.4"),
              L"plink -ssh -D 1234 -P 4962 -l alice -pwfile " + pipe + L" alice@127.0.0.4");
    EXPECT_EQ(TunnelArguments(L"alice", pipe, L"127.0.0.4"),
              (std::vector<std::wstring>{L"plink", L"-ssh", L"-D", L"1234", L"-P", L"4962", L"-l", L"alice",
                                         L"-pwfile", pipe, L"alice@127.0.0.4"}));
}

TEST(TunnelCommandLineTest, EmptyAndPercentValuesStayAsTheyAre)
{
    EXPECT_EQ(TunnelCommandLine(L"", L"f", L"host.example"), L"plink -ssh -D 1234 -P 4962 -l  -pwfile f @host.example");
    EXPECT_EQ(TunnelCommandLine(L"%s", L"100%", L"h"), L"plink -ssh -D 1234 -P 4962 -l %s -pwfile 100% %s@h");
}

TEST(GuidTextTest, HasData3InLowerCaseAndEverythingElseInUpperCase)
{
    const uint8_t data4[8] = {0x9C, 0x0D, 0x1E, 0x2F, 0x3A, 0x4B, 0x5C, 0x6D};
    const std::wstring text = GuidText(0x1A2B3C4D, 0x5E6F, 0x7A8B, data4);
    EXPECT_EQ(text, L"1A2B3C4D-5E6F-7a8b-9C0D-1E2F3A4B5C6D");
    EXPECT_EQ(text.size(), 36u);
    EXPECT_TRUE(IsProcessFileName(L"Process" + text + L".err"));
}

TEST(GuidTextTest, KeepsLeadingZeros)
{
    const uint8_t data4[8] = {0, 1, 2, 3, 4, 5, 6, 0xFF};
    EXPECT_EQ(GuidText(0x1, 0x2, 0xABC, data4), L"00000001-0002-0abc-0001-0203040506FF");
    const uint8_t ones[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(GuidText(0xFFFFFFFF, 0xFFFF, 0xFFFF, ones), L"FFFFFFFF-FFFF-ffff-FFFF-FFFFFFFFFFFF");
}

TEST(ProcessFilePathTest, JoinsDirectoryGuidAndExtension)
{
    const std::wstring guid = L"1A2B3C4D-5E6F-7a8b-9C0D-1E2F3A4B5C6D";
    EXPECT_EQ(ProcessFilePath(L"C:\\Temp", guid, L"in"), L"C:\\Temp\\Process" + guid + L".in");
    EXPECT_EQ(ProcessFilePath(L"C:\\Temp", guid, L"out"), L"C:\\Temp\\Process" + guid + L".out");
    EXPECT_EQ(ProcessFilePath(L"C:\\Temp", guid, L"err"), L"C:\\Temp\\Process" + guid + L".err");
}

struct FileNameCase {
    std::wstring name;
    bool ours;
};

void PrintTo(const FileNameCase& c, std::ostream* os)
{
    *os << ::testing::PrintToString(c.name);
}

class ProcessFileNameTest : public ::testing::TestWithParam<FileNameCase> {};

TEST_P(ProcessFileNameTest, AcceptsOnlyTheProgramsOwnNames)
{
    EXPECT_EQ(IsProcessFileName(GetParam().name), GetParam().ours);
}

const std::wstring kGuid = L"1A2B3C4D-5E6F-7a8b-9C0D-1E2F3A4B5C6D";

INSTANTIATE_TEST_SUITE_P(
    Names, ProcessFileNameTest,
    ::testing::Values(FileNameCase{L"Process" + kGuid + L".in", true}, FileNameCase{L"Process" + kGuid + L".out", true},
                      FileNameCase{L"Process" + kGuid + L".err", true}, FileNameCase{L"Process" + kGuid + L".ERR", true},
                      FileNameCase{L"Process1a2b3c4d-5e6f-7A8B-9c0d-1e2f3a4b5c6d.Out", true},
                      FileNameCase{L"Process.err", false}, FileNameCase{L"Processabc.err", false},
                      FileNameCase{L"ProcessX1A2B3C4-5E6F-7a8b-9C0D-1E2F3A4B5C6D.err", false},
                      FileNameCase{L"Process1A2B3C4D-5E6F-7a8b-9C0D+1E2F3A4B5C6D.err", false},
                      FileNameCase{L"Process1A2B3C4D5E6F-7a8b-9C0D-1E2F3A4B5C6D-.err", false},
                      FileNameCase{L"Process" + kGuid + L".err.bak", false},
                      FileNameCase{L"Process" + kGuid + L".tmp", false}, FileNameCase{L"Process" + kGuid, false},
                      FileNameCase{L"Process" + kGuid + L".", false}, FileNameCase{L"Process" + kGuid + L"0.err", false},
                      FileNameCase{L"OtherProcess" + kGuid + L".err", false}, FileNameCase{L"", false}));

TEST(TrayHintTest, EndsEveryBalloonWithTheHint)
{
    EXPECT_EQ(AppendTrayHint(L"Corvane has been disconnected."),
              L"Corvane has been disconnected.\nClick on the icon for more options.");
    EXPECT_EQ(AppendTrayHint(L""), L"\nClick on the icon for more options.");
}

TEST(HostKeyValueNameTest, NamesPortThenHost)
{
    EXPECT_EQ(HostKeyValueName(L"127.0.0.4"), L"rsa2@4962:127.0.0.4");
}

TEST(ProcessInputTest, DeclinesHostKeyQuestionsWithCrLf)
{
    EXPECT_EQ(kProcessInput, std::string_view("\r\n", 2));
}

}  // namespace
