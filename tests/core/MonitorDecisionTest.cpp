#include "tunnel/MonitorDecision.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Action = MonitorStep::Action;
using enum MonitorStep::Action;

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
    const struct { const char* name; std::wstring text; bool reconnecting, armed; Action action; bool after; } rows[] = {
        {"DeniedConnected", kDenied, false, false, ShowLoginRefused, false},
        {"DeniedReconnectedArmed", kDenied, true, true, ShowLoginRefused, true},
        {"BothMarkersLoginWins", kOldClose + kDenied, true, false, ShowLoginRefused, false},
        {"OldCloseConnected", kOldClose, false, false, ShowServerClosed, false},
        {"OldCloseReconnected", kOldClose, true, false, ShowNetworkLost, false},
        {"NewCloseConnected", kNewClose, false, true, ShowServerClosed, true},
        {"NewCloseReconnected", kNewClose, true, true, ShowNetworkLost, true},
        {"OtherFirstRelaunchesSilently", kRefused, false, false, RelaunchSilently, true},
        {"OtherSecondAsks", kRefused, false, true, AskRetry, false},
        {"OtherReconnectedSecond", kRefused, true, true, AskRetry, false},
        {"HostKeyQuestionEmptyText", L"", false, true, AskRetry, false},
        {"CaseSensitiveMarkers", L"access denied / server unexpectedly closed", false, false, RelaunchSilently, true},
    };
    for (const auto& r : rows) {
        const MonitorStep step = DecideAfterFailure(r.text, r.reconnecting, r.armed);
        EXPECT_EQ(step.action, r.action) << r.name;
        EXPECT_EQ(step.retryPromptArmedAfter, r.after) << r.name;
    }
    // Other failures alternate between a silent relaunch and the question.
    bool armed = false;
    for (Action expected : {RelaunchSilently, AskRetry, RelaunchSilently, AskRetry}) {
        const MonitorStep step = DecideAfterFailure(kRefused, false, armed);
        EXPECT_EQ(step.action, expected);
        armed = step.retryPromptArmedAfter;
    }
}

// Catches an empty file that gives no text, a host-key question shown as an
// error, bytes decoded as something else than one character each, and a
// runaway error file that exhausts memory: only the first 64 KiB count.
TEST(MonitorDecisionTest, ErrorFileTexts)
{
    const std::string runaway = "A" + std::string(64 * 1024 - 2, 'e') + "Z" + std::string(6000, 'e') + "Access denied";
    const struct { std::string bytes; std::wstring text; bool hostKeyQuestion; } rows[] = {
        {"", kUnexpected, false},
        {"caf\xE9 \x80\xFF", {L'c', L'a', L'f', wchar_t{0xE9}, L' ', wchar_t{0x80}, wchar_t{0xFF}}, false},
        {"The server's host key is not cached.\r\nIf you trust this host, enter \"y\" to add the key to\r\n", L"", true},
        {runaway, L"A" + std::wstring(64 * 1024 - 2, L'e') + L"Z", false},
    };
    for (const auto& r : rows) {
        const ProcessErrors errors = InterpretProcessErrors(r.bytes, kUnexpected);
        EXPECT_EQ(errors.text, r.text) << r.bytes.substr(0, 40);
        EXPECT_EQ(errors.hostKeyQuestion, r.hostKeyQuestion) << r.bytes.substr(0, 40);
    }
}

// Only a known other owner of the SOCKS port is foreign; Wine names no owner (0).
TEST(MonitorDecisionTest, PortListeners)
{
    using enum PortListener;
    const struct { std::vector<uint32_t> owners; PortListener verdict; } rows[] = {
        {{}, NoneYet}, {{42}, Ours}, {{0}, Ours}, {{42, 0, 42}, Ours}, {{7}, Foreign}, {{42, 7}, Foreign},
        {{0, 7}, Foreign},
    };
    for (const auto& r : rows)
        EXPECT_EQ(JudgePortListeners(r.owners, 42), r.verdict) << testing::PrintToString(r.owners);
}

}  // namespace
