#include "tunnel/MonitorDecision.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Action = MonitorStep::Action;

const std::wstring kDenied = L"Using username \"u\".\r\nAccess denied\r\nFATAL ERROR: Configured password was not accepted\r\n";
const std::wstring kOldClose = L"FATAL ERROR: Server unexpectedly closed network connection\r\n";
const std::wstring kNewClose = L"FATAL ERROR: Remote side unexpectedly closed network connection\r\n";
const std::wstring kRefused = L"FATAL ERROR: Network error: Connection refused\r\n";
const std::wstring kUnexpected = L"Unexpected Error Encountered.";

// Catches a wrong message for a failure, a close text of either plink that is
// not recognised, and a message that disturbs the relaunch/ask alternation.
TEST(MonitorDecisionTest, StateTable)
{
    // Only more than the grace counts as a dropped connection that is restarted unasked.
    EXPECT_FALSE(EndedAfterLoginGrace(90, 90));
    EXPECT_TRUE(EndedAfterLoginGrace(91, 90));
    const struct { const char* name; std::wstring errorText; bool reconnecting, armed;
                   Action action; bool armedAfter; } rows[] = {
        {"DeniedConnected", kDenied, false, false, Action::ShowLoginRefused, false},
        {"DeniedReconnectedArmed", kDenied, true, true, Action::ShowLoginRefused, true},
        {"BothMarkersLoginWins", kOldClose + kDenied, true, false, Action::ShowLoginRefused, false},
        {"OldCloseConnected", kOldClose, false, false, Action::ShowServerClosed, false},
        {"OldCloseReconnected", kOldClose, true, false, Action::ShowNetworkLost, false},
        {"NewCloseConnected", kNewClose, false, true, Action::ShowServerClosed, true},
        {"NewCloseReconnected", kNewClose, true, true, Action::ShowNetworkLost, true},
        {"OtherFirstRelaunchesSilently", kRefused, false, false, Action::RelaunchSilently, true},
        {"OtherSecondAsks", kRefused, false, true, Action::AskRetry, false},
        {"OtherReconnectedSecond", kRefused, true, true, Action::AskRetry, false},
        {"HostKeyQuestionEmptyText", L"", false, true, Action::AskRetry, false},
        {"MarkersAreCaseSensitive", L"access denied / server unexpectedly closed", false, false,
         Action::RelaunchSilently, true},
    };
    for (const auto& r : rows) {
        const MonitorStep step = DecideAfterFailure(r.errorText, r.reconnecting, r.armed);
        EXPECT_EQ(step.action, r.action) << r.name;
        EXPECT_EQ(step.retryPromptArmedAfter, r.armedAfter) << r.name;
    }
}

TEST(MonitorDecisionTest, OtherFailuresAlternateBetweenSilentRelaunchAndQuestion)
{
    bool armed = false;
    for (Action expected : {Action::RelaunchSilently, Action::AskRetry, Action::RelaunchSilently, Action::AskRetry}) {
        const MonitorStep step = DecideAfterFailure(kRefused, false, armed);
        EXPECT_EQ(step.action, expected);
        armed = step.retryPromptArmedAfter;
    }
}

// Catches an empty file that gives no text, a host-key question shown as an
// error, bytes decoded as something else than one character each.
TEST(MonitorDecisionTest, ErrorFileTexts)
{
    const struct { std::string bytes; std::wstring text; bool hostKeyQuestion; } rows[] = {
        {"", kUnexpected, false},
        {"caf\xE9 \x80\xFF", {L'c', L'a', L'f', wchar_t{0xE9}, L' ', wchar_t{0x80}, wchar_t{0xFF}}, false},
        {"The server's host key is not cached.\r\nIf you trust this host, enter \"y\" to add the key to\r\n", L"", true},
    };
    for (const auto& r : rows) {
        const ProcessErrors errors = InterpretProcessErrors(r.bytes, kUnexpected);
        EXPECT_EQ(errors.text, r.text) << r.bytes;
        EXPECT_EQ(errors.hostKeyQuestion, r.hostKeyQuestion) << r.bytes;
    }
}

// A runaway error file cannot exhaust memory: only the first 64 KiB count.
TEST(MonitorDecisionTest, KeepsOnlyTheFirst64KiBOfTheErrorFile)
{
    std::string bytes(70 * 1024, 'e');
    bytes[0] = 'A';
    bytes[64 * 1024 - 1] = 'Z';
    bytes += "Access denied";  // beyond the kept part
    const ProcessErrors errors = InterpretProcessErrors(bytes, kUnexpected);
    ASSERT_EQ(errors.text.size(), 64u * 1024u);
    EXPECT_EQ(errors.text.front(), L'A');
    EXPECT_EQ(errors.text.back(), L'Z');
    EXPECT_EQ(ClassifyTunnelError(errors.text), TunnelFailure::Other);
}

// Only a known other owner of the SOCKS port is foreign; Wine names no owner (0).
TEST(MonitorDecisionTest, PortListeners)
{
    const struct { std::vector<uint32_t> owners; PortListener verdict; } rows[] = {
        {{}, PortListener::NoneYet},      {{42}, PortListener::Ours},        {{0}, PortListener::Ours},
        {{42, 0, 42}, PortListener::Ours}, {{7}, PortListener::Foreign},     {{42, 7}, PortListener::Foreign},
        {{0, 7}, PortListener::Foreign},
    };
    for (const auto& r : rows)
        EXPECT_EQ(JudgePortListeners(r.owners, 42), r.verdict) << testing::PrintToString(r.owners);
}

}  // namespace
