#include "tunnel/MonitorDecision.h"

#include <ostream>
#include <string>

#include <gtest/gtest.h>

namespace {

using Action = MonitorStep::Action;

TEST(LoginGraceTest, OnlyMoreThanTheGraceCountsAsADroppedConnection)
{
    EXPECT_EQ(kLoginGraceTicks, 90);
    EXPECT_FALSE(EndedAfterLoginGrace(1, kLoginGraceTicks));
    EXPECT_FALSE(EndedAfterLoginGrace(90, kLoginGraceTicks));
    EXPECT_TRUE(EndedAfterLoginGrace(91, kLoginGraceTicks));
    EXPECT_TRUE(EndedAfterLoginGrace(100000, kLoginGraceTicks));
}

struct DecisionCase {
    const char* name;
    std::wstring errorText;
    bool reconnecting;
    bool retryPromptArmed;
    Action action;
    bool retryPromptArmedAfter;
};

void PrintTo(const DecisionCase& c, std::ostream* os)
{
    *os << c.name;
}

class MonitorDecisionTest : public ::testing::TestWithParam<DecisionCase> {};

TEST_P(MonitorDecisionTest, FollowsTheStateTable)
{
    const DecisionCase& c = GetParam();
    const MonitorStep step = DecideAfterFailure(c.errorText, c.reconnecting, c.retryPromptArmed);
    EXPECT_EQ(step.action, c.action);
    EXPECT_EQ(step.retryPromptArmedAfter, c.retryPromptArmedAfter);
}

const std::wstring kDenied = L"Using username \"u\".\r\nAccess denied\r\nFATAL ERROR: Configured password was not accepted\r\n";
const std::wstring kOldClose = L"FATAL ERROR: Server unexpectedly closed network connection\r\n";
const std::wstring kNewClose = L"FATAL ERROR: Remote side unexpectedly closed network connection\r\n";
const std::wstring kRefused = L"FATAL ERROR: Network error: Connection refused\r\n";
const std::wstring kUnexpected = L"Unexpected Error Encountered.";

INSTANTIATE_TEST_SUITE_P(
    Rows, MonitorDecisionTest,
    ::testing::Values(
        DecisionCase{"DeniedConnected", kDenied, false, false, Action::ShowLoginRefused, false},
        DecisionCase{"DeniedReconnectedArmed", kDenied, true, true, Action::ShowLoginRefused, true},
        DecisionCase{"BothMarkersLoginWins", kOldClose + kDenied, true, false, Action::ShowLoginRefused, false},
        DecisionCase{"OldCloseConnected", kOldClose, false, false, Action::ShowServerClosed, false},
        DecisionCase{"OldCloseReconnected", kOldClose, true, false, Action::ShowNetworkLost, false},
        DecisionCase{"NewCloseConnected", kNewClose, false, true, Action::ShowServerClosed, true},
        DecisionCase{"NewCloseReconnected", kNewClose, true, true, Action::ShowNetworkLost, true},
        DecisionCase{"OtherFirstRelaunchesSilently", kRefused, false, false, Action::RelaunchSilently, true},
        DecisionCase{"OtherSecondAsks", kRefused, false, true, Action::AskRetry, false},
        DecisionCase{"OtherReconnectedFirst", kRefused, true, false, Action::RelaunchSilently, true},
        DecisionCase{"OtherReconnectedSecond", kRefused, true, true, Action::AskRetry, false},
        DecisionCase{"EmptyFileTextRelaunches", kUnexpected, false, false, Action::RelaunchSilently, true},
        DecisionCase{"HostKeyQuestionEmptyText", L"", false, true, Action::AskRetry, false},
        DecisionCase{"MarkersAreCaseSensitive", L"access denied / server unexpectedly closed", false, false,
                     Action::RelaunchSilently, true}),
    [](const ::testing::TestParamInfo<DecisionCase>& info) { return std::string(info.param.name); });

TEST(RetryAlternationTest, OtherFailuresAlternateBetweenSilentRelaunchAndQuestion)
{
    bool armed = false;
    const Action expected[] = {Action::RelaunchSilently, Action::AskRetry, Action::RelaunchSilently, Action::AskRetry};
    for (Action action : expected) {
        const MonitorStep step = DecideAfterFailure(kRefused, false, armed);
        EXPECT_EQ(step.action, action);
        armed = step.retryPromptArmedAfter;
    }
}

TEST(ClassifyTunnelErrorTest, RecognisesBothCloseTexts)
{
    EXPECT_EQ(ClassifyTunnelError(kNewClose), TunnelFailure::ServerClosed);
    EXPECT_EQ(ClassifyTunnelError(kOldClose), TunnelFailure::ServerClosed);
    EXPECT_EQ(ClassifyTunnelError(kDenied + kNewClose), TunnelFailure::LoginRefused);
    EXPECT_EQ(ClassifyTunnelError(L""), TunnelFailure::Other);
}

TEST(InterpretProcessErrorsTest, EmptyFileGivesTheUnexpectedErrorText)
{
    const ProcessErrors errors = InterpretProcessErrors("", kUnexpected);
    EXPECT_EQ(errors.text, kUnexpected);
    EXPECT_FALSE(errors.hostKeyQuestion);
}

TEST(InterpretProcessErrorsTest, KeepsTheTextAsWritten)
{
    const ProcessErrors errors = InterpretProcessErrors("Access denied\r\n", kUnexpected);
    EXPECT_EQ(errors.text, L"Access denied\r\n");
    EXPECT_FALSE(errors.hostKeyQuestion);
}

TEST(InterpretProcessErrorsTest, HostKeyQuestionGivesAnEmptyText)
{
    const ProcessErrors errors = InterpretProcessErrors(
        "The server's host key is not cached.\r\nIf you trust this host, enter \"y\" to add the key to\r\n"
        "Store key in cache? (y/n, Return cancels connection, i for more info) ",
        kUnexpected);
    EXPECT_EQ(errors.text, L"");
    EXPECT_TRUE(errors.hostKeyQuestion);
}

TEST(InterpretProcessErrorsTest, EachByteBecomesOneCharacter)
{
    const std::string bytes = "caf\xE9 \x80\xFF";
    const ProcessErrors errors = InterpretProcessErrors(bytes, kUnexpected);
    EXPECT_EQ(errors.text, (std::wstring{L'c', L'a', L'f', wchar_t{0xE9}, L' ', wchar_t{0x80}, wchar_t{0xFF}}));
}

TEST(InterpretProcessErrorsTest, KeepsOnlyTheFirst64KiB)
{
    std::string bytes(70 * 1024, 'e');
    bytes[0] = 'A';
    bytes[kMaxErrorTextBytes - 1] = 'Z';
    bytes += "Access denied";  // beyond the kept part
    const ProcessErrors errors = InterpretProcessErrors(bytes, kUnexpected);
    ASSERT_EQ(errors.text.size(), 64u * 1024u);
    EXPECT_EQ(errors.text.front(), L'A');
    EXPECT_EQ(errors.text.back(), L'Z');
    EXPECT_EQ(ClassifyTunnelError(errors.text), TunnelFailure::Other);
}

TEST(JudgePortListenersTest, OnlyAKnownOtherOwnerIsForeign)
{
    const struct {
        std::vector<uint32_t> owners;
        PortListener verdict;
    } cases[] = {
        {{}, PortListener::NoneYet},
        {{42}, PortListener::Ours},
        {{0}, PortListener::Ours},  // Wine names no owner
        {{42, 0, 42}, PortListener::Ours},
        {{7}, PortListener::Foreign},
        {{42, 7}, PortListener::Foreign},
        {{0, 7}, PortListener::Foreign},
    };
    for (const auto& c : cases)
        EXPECT_EQ(JudgePortListeners(c.owners, 42), c.verdict) << testing::PrintToString(c.owners);
}

}  // namespace
