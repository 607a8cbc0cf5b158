#include "tunnel/TunnelText.h"

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

const std::wstring kGuid = L"1A2B3C4D-5E6F-7a8b-9C0D-1E2F3A4B5C6D";

// Catches the password on the command line, a word out of place, a value
// that is quoted or expanded, a GUID without data3 in lower case or its
// leading zeros, and a wrong process file, tray hint or host key name.
TEST(TunnelTextTest, CommandLineAndNames)
{
    const std::wstring pipe = L"\\\\.\\pipe\\Corvane-1A2B3C4D-5E6F-7a8b-9C0D-1E2F3A4B5C6D";
    EXPECT_EQ(TunnelArguments(L"alice", pipe, L"127.0.0.4"),
              (std::vector<std::wstring>{L"plink", L"-ssh", L"-load", L"Corvane-Tunnel", L"-noagent", L"-D", L"1234",
                                         L"-P", L"4962", L"-l", L"alice", L"-pwfile", pipe, L"alice@127.0.0.4"}));
    const uint8_t data4[8] = {0x9C, 0x0D, 0x1E, 0x2F, 0x3A, 0x4B, 0x5C, 0x6D}, small[8] = {0, 1, 2, 3, 4, 5, 6, 0xFF};
    const std::pair<std::wstring, std::wstring> rows[] = {
        {PasswordPipeName(kGuid), pipe},
        {TunnelCommandLine(L"alice", pipe, L"127.0.0.4"),
         L"plink -ssh -load Corvane-Tunnel -noagent -D 1234 -P 4962 -l alice -pwfile " + pipe + L" alice@127.0.0.4"},
        {TunnelCommandLine(L"%s", L"100%", L"h"),
         L"plink -ssh -load Corvane-Tunnel -noagent -D 1234 -P 4962 -l %s -pwfile 100% %s@h"},
        {GuidText(0x1A2B3C4D, 0x5E6F, 0x7A8B, data4), kGuid},
        {GuidText(0x1, 0x2, 0xABC, small), L"00000001-0002-0abc-0001-0203040506FF"},
        {ProcessFilePath(L"C:\\Temp", kGuid, L"err"), L"C:\\Temp\\Process" + kGuid + L".err"},
        {AppendTrayHint(L"Corvane has been disconnected."),
         L"Corvane has been disconnected.\nClick on the icon for more options."},
        {HostKeyValueName(L"127.0.0.4"), L"rsa2@4962:127.0.0.4"},
    };
    for (const auto& [text, expected] : rows)
        EXPECT_EQ(text, expected);
}

// Catches another program's "Process*.err" in the shared temporary folder
// taken for one of ours (and deleted), and one of ours left behind.
TEST(TunnelTextTest, ProcessFileNames)
{
    const std::wstring ours = L"Process" + kGuid;
    const struct { std::wstring name; bool ours; } rows[] = {
        {ours + L".in", true}, {ours + L".ERR", true}, {L"Process1a2b3c4d-5e6f-7A8B-9c0d-1e2f3a4b5c6d.Out", true},
        {L"Processabc.err", false}, {L"ProcessX1A2B3C4-5E6F-7a8b-9C0D-1E2F3A4B5C6D.err", false},
        {L"Process1A2B3C4D-5E6F-7a8b-9C0D+1E2F3A4B5C6D.err", false}, {ours + L".", false}, {ours, false},
        {L"Process1A2B3C4D5E6F-7a8b-9C0D-1E2F3A4B5C6D-.err", false}, {ours + L".err.bak", false}, {L"", false},
        {ours + L".tmp", false}, {ours + L"0.err", false}, {L"Other" + ours + L".err", false},
    };
    for (const auto& r : rows)
        EXPECT_EQ(IsProcessFileName(r.name), r.ours) << testing::PrintToString(r.name);
}

}  // namespace
