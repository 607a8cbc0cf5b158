// The double's platform-free parts: what it accepts, which scenario and which
// host-key answer it picks, and what it records. A double that accepts what
// plink would refuse, or records wrongly, would let a fault of Corvane pass.
#include "CallRecord.h"
#include "HostKeyQuestion.h"
#include "Invocation.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>

namespace plink_double {
namespace {

using namespace std::string_literals;

// Catches a field taken from the wrong word of Corvane's command line.
TEST(ParseCommandLine, TakesCorvanesLineApart)
{
    const auto parsed = ParseCommandLine("plink -ssh -load Corvane-Tunnel -noagent -D 1234 -P 4962 -l alice -pwfile \\\\.\\pipe\\pw alice@127.0.0.2");
    ASSERT_TRUE(std::holds_alternative<Invocation>(parsed));
    const auto& invocation = std::get<Invocation>(parsed);
    EXPECT_EQ(invocation.socksPort, 1234);
    EXPECT_EQ(invocation.sshPort, 4962);
    EXPECT_EQ(invocation.user, "alice");
    EXPECT_EQ(invocation.passwordFile, "\\\\.\\pipe\\pw");
    EXPECT_EQ(invocation.host, "127.0.0.2");
}

// Catches a refusal of a line Corvane may build: a quoted program path, every
// character a user name may hold.
TEST(ParseCommandLine, AcceptsEveryFormCorvaneBuilds)
{
    for (const char* line : {"\"Z:\\some dir\\plink.exe\" -ssh -load Corvane-Tunnel -noagent -D 1234 -P 4962 -l a -pwfile p a@h",
                             "C:\\x\\plink -ssh -load Corvane-Tunnel -noagent -D 1234 -P 4962 -l aZ09-_^| -pwfile p aZ09-_^|@h"})
        EXPECT_TRUE(std::holds_alternative<Invocation>(ParseCommandLine(line))) << line;
}

// Catches a command line that plink would not run, or that gives the password away.
TEST(ParseCommandLine, RefusesAnythingElse)
{
    const char* const refused[] = {
        "plink",
        "plink -ssh -load Corvane-Tunnel -noagent -D 1234 -P 4962 -l alice -pwfile f alice@127.0.0.2 extra",
        "plink -ssh -load Corvane-Tunnel -noagent -D 1234 -P 4962 -l alice -pwfile f  alice@127.0.0.2",  // double blank
        "plink\t-ssh -load Corvane-Tunnel -noagent -D 1234 -P 4962 -l alice -pwfile f alice@127.0.0.2",
        "plink -ssh -load Corvane-Tunnel -noagent -D 1234 -P 4962 -l  -pwfile f @127.0.0.2",            // empty user
        "plink -ssh -load Corvane-Tunnel -noagent -D 1234 -P 4962 -l alice -pwfile  alice@127.0.0.2",   // empty password file
        "plink -ssh -load Corvane-Tunnel -noagent -D 1234 -P 4962 -l alice -pwfile f bob@127.0.0.2",    // other user
        "plink -ssh -load Corvane-Tunnel -noagent -D 1234 -P 4962 -l alice -pwfile f alice@",           // no host
        "plink -ssh -load Corvane-Tunnel -noagent -D 1234 -P 4962 -l alice -pwfile f 127.0.0.2",        // no user@
        "plink -ssh -load Corvane-Tunnel -noagent -D 0 -P 4962 -l alice -pwfile f alice@127.0.0.2",
        "plink -ssh -load Corvane-Tunnel -noagent -D 1234 -P 65536 -l alice -pwfile f alice@127.0.0.2",
        "plink -ssh -load Corvane-Tunnel -noagent -D 12x4 -P 4962 -l alice -pwfile f alice@127.0.0.2",
        "plink -ssh -load Corvane-Tunnel -noagent -L 1234 -P 4962 -l alice -pwfile f alice@127.0.0.2",
        "plink -ssh -load Corvane-Tunnel -agent -D 1234 -P 4962 -l alice -pwfile f alice@127.0.0.2",  // Pageant
        "plink -ssh -D 1234 -P 4962 -l alice -pwfile f alice@127.0.0.2",  // the user's PuTTY settings
        "plink -ssh -load Corvane-Tunnel -noagent -D 1234 -P 4962 -l \"alice\" -pwfile f \"alice\"@127.0.0.2",
        "plink -ssh -load Corvane-Tunnel -noagent -D 1234 -P 4962 -l alice -pw s3cret alice@127.0.0.2",  // a password on the command line
    };
    for (const auto* line : refused) {
        const auto parsed = ParseCommandLine(line);
        ASSERT_TRUE(std::holds_alternative<UsageError>(parsed)) << line;
        EXPECT_NE(std::get<UsageError>(parsed).message.find("expected: plink -ssh"), std::string::npos);
    }
}

// Catches a user name that plays the wrong scenario.
TEST(ChooseScenario, ByTheStartOfTheUserName)
{
    const struct {
        const char* user;
        ScenarioKind kind;
        int seconds;
    } cases[] = {
        {"stay1", ScenarioKind::Stay, 0},          {"deny", ScenarioKind::Deny, 0},
        {"closed2", ScenarioKind::Closed, 0},      {"oldclosed", ScenarioKind::OldClosed, 0},
        {"silent", ScenarioKind::Silent, 0},       {"otherkey", ScenarioKind::OtherKey, 0},
        {"exitafter3", ScenarioKind::ExitAfter, 3}, {"exitafter120x", ScenarioKind::ExitAfter, 120},
        {"Deny", ScenarioKind::Stay, 0},           {"xdeny", ScenarioKind::Stay, 0},
    };
    for (const auto& c : cases) {
        const auto scenario = ChooseScenario(c.user);
        EXPECT_EQ(scenario.kind, c.kind) << c.user;
        EXPECT_EQ(scenario.seconds, c.seconds) << c.user;
    }
}

// Catches a question asked for the pinned key, or not asked for another key.
TEST(HostKey, AsksOnlyWhenTheCacheDoesNotHoldTheServersKey)
{
    EXPECT_EQ(AskFor("0x25,0xab"s, "0x25,0xab"), HostKeyQuestion::None);
    EXPECT_EQ(AskFor(std::nullopt, "0x25,0xab"), HostKeyQuestion::Absent);
    EXPECT_EQ(AskFor("0x25,0xAB"s, "0x25,0xab"), HostKeyQuestion::Changed);
    EXPECT_EQ(AskFor(""s, "0x25,0xab"), HostKeyQuestion::Changed);
}

// Catches an answer in Corvane's stdin that plink would take otherwise.
TEST(HostKey, AnswersLikePlink)
{
    const struct {
        std::string input;
        HostKeyAnswer answer;
    } cases[] = {
        {"", HostKeyAnswer::Abandoned},
        {"\r\n", HostKeyAnswer::Abandoned},
        {"\0y"s, HostKeyAnswer::Abandoned},
        {"Q\r\n", HostKeyAnswer::Abandoned},
        {"y", HostKeyAnswer::Stored},
        {"Y\r\n", HostKeyAnswer::Stored},
        {"n", HostKeyAnswer::AcceptedOnce},
        // Corvane's historical five bytes accept any key once.
        {"\x20\x00\x20\x00\x20"s, HostKeyAnswer::AcceptedOnce},
        // "i" shows more information; the next read of up to 31 bytes answers.
        {"i", HostKeyAnswer::Abandoned},
        {"i" + std::string(30, 'x') + "y", HostKeyAnswer::Stored},
        {"iy", HostKeyAnswer::Abandoned},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Answer(HostKeyQuestion::Absent, c.input), c.answer) << AnswerName(c.answer);
        EXPECT_EQ(Answer(HostKeyQuestion::Changed, c.input), c.answer) << AnswerName(c.answer);
        EXPECT_EQ(Answer(HostKeyQuestion::None, c.input), HostKeyAnswer::Cached);
    }
}

// Catches a question without the marker Corvane waits for, or with bare LF line ends.
TEST(HostKey, QuestionsCarryTheMarkerThatCorvaneLooksFor)
{
    for (const auto question : {HostKeyQuestion::Absent, HostKeyQuestion::Changed}) {
        const auto text = QuestionText(question, "127.0.0.2", 4962);
        EXPECT_NE(text.find("enter \"y\""), std::string::npos);
        EXPECT_NE(text.find("127.0.0.2 (port 4962)"), std::string::npos);
        for (auto lineFeed = text.find('\n'); lineFeed != std::string::npos;
             lineFeed = text.find('\n', lineFeed + 1))
            EXPECT_EQ(text[lineFeed - 1], '\r') << "bare LF at " << lineFeed;
    }
}

// Catches a log line that a tab or line break in a value would split, or a
// missing value that reads as an empty one.
TEST(CallRecord, OneTabSeparatedLine)
{
    const struct {
        CallRecord record;
        std::string line;
    } cases[] = {
        {{42, "plink -pwfile 100%\tx", "\r\n\0\xff"s, "0x25,0xab"s, "cached", "s3\tcret"s, true},
         "pid=42\tcmdline=plink -pwfile 100%25%09x\tstdin=0d0a00ff\thostkey=0x25,0xab\tanswer=cached"
         "\tpassword=s3%09cret\tinjob=1\n"},
        {{7, "Z:\\tmp\\plink.exe", "", std::nullopt, "abandoned", std::nullopt, false},
         "pid=7\tcmdline=Z:\\tmp\\plink.exe\tstdin=\thostkey=<none>\tanswer=abandoned\tpassword=<none>\tinjob=0\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatRecord(c.record), c.line);
}

}  // namespace
}  // namespace plink_double
