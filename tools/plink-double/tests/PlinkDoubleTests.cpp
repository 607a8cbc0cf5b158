// The double's platform-free parts: what it accepts, which scenario and which
// host-key answer it picks, what it records, and the SOCKS handshake.
#include "CallRecord.h"
#include "HostKeyQuestion.h"
#include "Invocation.h"
#include "SocksHandshake.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>

namespace plink_double {
namespace {

constexpr std::string_view kCorvaneLine =
    "plink -ssh -D 1234 -P 4962 -l alice -pwfile \\\\.\\pipe\\pw alice@127.0.0.2";

TEST(ParseCommandLine, TakesCorvanesLineApart)
{
    const auto parsed = ParseCommandLine(kCorvaneLine);
    ASSERT_TRUE(std::holds_alternative<Invocation>(parsed));
    const auto& invocation = std::get<Invocation>(parsed);
    EXPECT_EQ(invocation.socksPort, 1234);
    EXPECT_EQ(invocation.sshPort, 4962);
    EXPECT_EQ(invocation.user, "alice");
    EXPECT_EQ(invocation.passwordFile, "\\\\.\\pipe\\pw");
    EXPECT_EQ(invocation.host, "127.0.0.2");
}

TEST(ParseCommandLine, IgnoresTheProgramWord)
{
    for (const std::string program : {"plink.exe", "\"Z:\\some dir\\plink.exe\"", "C:\\x\\plink"}) {
        const auto line = program + std::string(kCorvaneLine.substr(5));
        EXPECT_TRUE(std::holds_alternative<Invocation>(ParseCommandLine(line))) << line;
    }
}

TEST(ParseCommandLine, RefusesAnythingElse)
{
    const char* const refused[] = {
        "plink",
        "plink ",
        "plink -ssh -D 1234 -P 4962 -l alice -pwfile f alice@127.0.0.2 extra",
        "plink -ssh -D 1234 -P 4962 -l alice -pwfile f  alice@127.0.0.2",     // double blank
        "plink -ssh -D 1234 -P 4962 -l  -pwfile f @127.0.0.2",                // empty user
        "plink -ssh -D 1234 -P 4962 -l alice -pwfile  alice@127.0.0.2",            // empty password file
        "plink -ssh -D 1234 -P 4962 -l alice -pwfile f bob@127.0.0.2",        // other user
        "plink -ssh -D 1234 -P 4962 -l alice -pwfile f alice@",               // no host
        "plink -ssh -D 1234 -P 4962 -l alice -pwfile f 127.0.0.2",            // no user@
        "plink -ssh -D 0 -P 4962 -l alice -pwfile f alice@127.0.0.2",
        "plink -ssh -D 1234 -P 65536 -l alice -pwfile f alice@127.0.0.2",
        "plink -ssh -D 12x4 -P 4962 -l alice -pwfile f alice@127.0.0.2",
        "plink -ssh -L 1234 -P 4962 -l alice -pwfile f alice@127.0.0.2",
        "plink -ssh -D 1234 -P 4962 -l al@ce -pwfile f al@ce@127.0.0.2",
        "plink -ssh -D 1234 -P 4962 -l \"alice\" -pwfile f \"alice\"@127.0.0.2",
        "plink\t-ssh -D 1234 -P 4962 -l alice -pwfile f alice@127.0.0.2",
        "plink -ssh -D 1234 -P 4962 -l alice -pw s3cret alice@127.0.0.2",  // a password on the command line
    };
    for (const auto* line : refused) {
        const auto parsed = ParseCommandLine(line);
        ASSERT_TRUE(std::holds_alternative<UsageError>(parsed)) << line;
        EXPECT_NE(std::get<UsageError>(parsed).message.find("expected: plink -ssh"), std::string::npos);
    }
}

TEST(ParseCommandLine, AcceptsEveryUserNameCharacter)
{
    const auto parsed = ParseCommandLine(
        "plink -ssh -D 1234 -P 4962 -l aZ09-_^| -pwfile p aZ09-_^|@127.0.0.2");
    ASSERT_TRUE(std::holds_alternative<Invocation>(parsed));
    EXPECT_EQ(std::get<Invocation>(parsed).user, "aZ09-_^|");
}

TEST(ChooseScenario, ByTheStartOfTheUserName)
{
    const struct {
        const char* user;
        ScenarioKind kind;
        int seconds;
    } cases[] = {
        {"stay1", ScenarioKind::Stay, 0},       {"alice", ScenarioKind::Stay, 0},
        {"hostkey", ScenarioKind::Stay, 0},     {"deny", ScenarioKind::Deny, 0},
        {"denyX", ScenarioKind::Deny, 0},       {"closed2", ScenarioKind::Closed, 0},
        {"oldclosed", ScenarioKind::OldClosed, 0}, {"silent", ScenarioKind::Silent, 0},
        {"otherkey", ScenarioKind::OtherKey, 0}, {"exitafter3", ScenarioKind::ExitAfter, 3},
        {"exitafter120x", ScenarioKind::ExitAfter, 120}, {"exitafter", ScenarioKind::ExitAfter, 0},
        {"Deny", ScenarioKind::Stay, 0},        {"xdeny", ScenarioKind::Stay, 0},
    };
    for (const auto& c : cases) {
        const auto scenario = ChooseScenario(c.user);
        EXPECT_EQ(scenario.kind, c.kind) << c.user;
        EXPECT_EQ(scenario.seconds, c.seconds) << c.user;
    }
}

TEST(HostKey, AsksOnlyWhenTheCacheDoesNotHoldTheServersKey)
{
    EXPECT_EQ(AskFor(std::string("0x25,0xab"), "0x25,0xab"), HostKeyQuestion::None);
    EXPECT_EQ(AskFor(std::nullopt, "0x25,0xab"), HostKeyQuestion::Absent);
    EXPECT_EQ(AskFor(std::string("0x25,0xAB"), "0x25,0xab"), HostKeyQuestion::Changed);
    EXPECT_EQ(AskFor(std::string(""), "0x25,0xab"), HostKeyQuestion::Changed);
}

TEST(HostKey, AnswersLikePlink)
{
    using namespace std::string_literals;
    const struct {
        std::string input;
        HostKeyAnswer answer;
    } cases[] = {
        {"", HostKeyAnswer::Abandoned},
        {"\r\n", HostKeyAnswer::Abandoned},
        {"\n", HostKeyAnswer::Abandoned},
        {"\0y"s, HostKeyAnswer::Abandoned},
        {"q", HostKeyAnswer::Abandoned},
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

TEST(CallRecord, OneTabSeparatedLine)
{
    const CallRecord record{42, "plink -pwfile 100%\tx", std::string("\r\n\0\xff", 4),
                            std::string("0x25,0xab"), "cached", std::string("s3\tcret"), true};
    EXPECT_EQ(FormatRecord(record), "pid=42\tcmdline=plink -pwfile 100%25%09x\tstdin=0d0a00ff\thostkey=0x25,0xab"
                                    "\tanswer=cached\tpassword=s3%09cret\tinjob=1\n");
}

TEST(CallRecord, MissingKeyAndEmptyInput)
{
    const CallRecord record{7, "Z:\\tmp\\plink.exe", "", std::nullopt, "abandoned", std::nullopt, false};
    EXPECT_EQ(FormatRecord(record), "pid=7\tcmdline=Z:\\tmp\\plink.exe\tstdin=\thostkey=<none>\tanswer=abandoned"
                                    "\tpassword=<none>\tinjob=0\n");
}

// Feeds bytes one at a time, as the slowest client would send them.
SocksHandshake::Step FeedSlowly(SocksHandshake& handshake, std::string_view bytes)
{
    for (const char c : bytes) {
        EXPECT_EQ(handshake.Next().kind, SocksHandshake::Kind::NeedMore);
        handshake.Receive({&c, 1});
    }
    return handshake.Next();
}

TEST(SocksHandshake, Version5DomainConnect)
{
    using namespace std::string_literals;
    SocksHandshake handshake;
    auto step = FeedSlowly(handshake, "\x05\x01\x00"s);
    ASSERT_EQ(step.kind, SocksHandshake::Kind::Reply);
    EXPECT_EQ(step.reply, "\x05\x00"s);
    step = FeedSlowly(handshake, "\x05\x01\x00\x03\x09localhost\x21\x0e"s);
    ASSERT_EQ(step.kind, SocksHandshake::Kind::Connect);
    EXPECT_EQ(step.target.host, "localhost");
    EXPECT_EQ(step.target.port, 8462);
    EXPECT_EQ(handshake.ConnectReply(true), "\x05\x00\x00\x01\0\0\0\0\0\0"s);
    EXPECT_EQ(handshake.ConnectReply(false)[1], '\x01');
}

TEST(SocksHandshake, Version5AddressesAndEarlyData)
{
    using namespace std::string_literals;
    SocksHandshake handshake;
    handshake.Receive("\x05\x02\x02\x00"s "\x05\x01\x00\x01\x7f\x00\x00\x01\x00\x50" "GET /"s);
    EXPECT_EQ(handshake.Next().kind, SocksHandshake::Kind::Reply);
    const auto step = handshake.Next();
    ASSERT_EQ(step.kind, SocksHandshake::Kind::Connect);
    EXPECT_EQ(step.target.host, "127.0.0.1");
    EXPECT_EQ(step.target.port, 80);
    EXPECT_EQ(handshake.TakeRemainder(), "GET /");

    SocksHandshake ipv6;
    ipv6.Receive("\x05\x01\x00\x05\x01\x00\x04"s + std::string(15, '\0') + "\x01\x04\xd2"s);
    ipv6.Next();
    const auto v6 = ipv6.Next();
    ASSERT_EQ(v6.kind, SocksHandshake::Kind::Connect);
    EXPECT_EQ(v6.target.host, "0:0:0:0:0:0:0:1");
    EXPECT_EQ(v6.target.port, 1234);
}

TEST(SocksHandshake, RefusesWhatPlinkRefuses)
{
    using namespace std::string_literals;
    const struct {
        std::string bytes;
        std::string reply;
    } cases[] = {
        {"\x05\x01\x02"s, "\x05\xff"s},                                        // password only
        {"\x05\x01\x00\x05\x02\x00\x01\x7f\0\0\x01\0\x50"s, "\x05\x00"s},       // BIND
        {"\x05\x01\x00\x05\x01\x00\x07"s, "\x05\x00"s},                        // bad type
        {"\x06\x01\x00"s, ""},                                                 // unknown version
        {"\x04\x02\x00\x50\x7f\0\0\x01\0"s, "\x00\x5b\0\0\0\0\0\0"s},          // SOCKS4 BIND
    };
    for (const auto& c : cases) {
        SocksHandshake handshake;
        handshake.Receive(c.bytes);
        auto step = handshake.Next();
        if (step.kind == SocksHandshake::Kind::Reply) {
            EXPECT_EQ(step.reply, c.reply);
            step = handshake.Next();
        } else {
            EXPECT_EQ(step.reply, c.reply);
        }
        EXPECT_EQ(step.kind, SocksHandshake::Kind::Refuse);
    }
}

TEST(SocksHandshake, Version4And4a)
{
    using namespace std::string_literals;
    SocksHandshake plain;
    auto step = FeedSlowly(plain, "\x04\x01\x21\x0e\x7f\x00\x00\x01user\0"s);
    ASSERT_EQ(step.kind, SocksHandshake::Kind::Connect);
    EXPECT_EQ(step.target.host, "127.0.0.1");
    EXPECT_EQ(step.target.port, 8462);
    EXPECT_EQ(plain.ConnectReply(true), "\x00\x5a\0\0\0\0\0\0"s);

    SocksHandshake named;
    step = FeedSlowly(named, "\x04\x01\x00\x50\x00\x00\x00\x07\0example.test\0"s);
    ASSERT_EQ(step.kind, SocksHandshake::Kind::Connect);
    EXPECT_EQ(step.target.host, "example.test");
    EXPECT_EQ(step.target.port, 80);
}

}  // namespace
}  // namespace plink_double
