#include "proxy/UserJsRewrite.h"

#include <algorithm>
#include <ostream>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

namespace {

// The rewriter appends whatever lines it is given; these two sets stand for on and off.
const std::string kOn =
    "user_pref(\"network.proxy.socks\", \"localhost\");\r\n"
    "user_pref(\"network.proxy.socks_port\", 1234);\r\n"
    "user_pref(\"network.proxy.type\", 1);\r\n"
    "user_pref(\"network.proxy.socks_remote_dns\", true);\r\n";
const std::string kOff =
    "user_pref(\"network.proxy.socks\", \"\");\r\n"
    "user_pref(\"network.proxy.socks_port\", 0);\r\n"
    "user_pref(\"network.proxy.type\", 5);\r\n"
    "user_pref(\"network.proxy.socks_remote_dns\", false);\r\n";

const std::string& Lines(bool enable)
{
    return enable ? kOn : kOff;
}

struct RewriteCase {
    const char* name;
    std::string original;
    bool enable;
    std::string expected;
};

void PrintTo(const RewriteCase& c, std::ostream* os)
{
    *os << c.name;
}

class RewriteTableTest : public ::testing::TestWithParam<RewriteCase> {};

TEST_P(RewriteTableTest, GivesTheExactBytes)
{
    EXPECT_EQ(RewriteUserJs(GetParam().original, Lines(GetParam().enable)), GetParam().expected);
}

// A 1024-byte chunk boundary falls inside the owned text: neither half holds it whole.
std::string StraddlingLine()
{
    const std::string owned = "user_pref(\"network.proxy.type\", 5);\n";
    return std::string(1024 - 10, 'a') + owned;
}

INSTANTIATE_TEST_SUITE_P(
    Files, RewriteTableTest,
    ::testing::Values(
        RewriteCase{"EmptyOn", "", true, kOn},
        RewriteCase{"EmptyOff", "", false, kOff},
        RewriteCase{"ForeignCrLf", "user_pref(\"a\", 1);\r\nuser_pref(\"b\", 2);\r\n", true,
                    "user_pref(\"a\", 1);\r\nuser_pref(\"b\", 2);\r\n" + kOn},
        RewriteCase{"ForeignLf", "user_pref(\"a\", 1);\nuser_pref(\"b\", 2);\n", false,
                    "user_pref(\"a\", 1);\nuser_pref(\"b\", 2);\n" + kOff},
        RewriteCase{"OwnedLinesInTheMiddle",
                    "user_pref(\"a\", 1);\n"
                    "user_pref(\"network.proxy.socks\", \"old\");\n"
                    "user_pref(\"b\", 2);\r\n"
                    "user_pref(\"network.proxy.socks_port\", 8080);\r\n"
                    "user_pref(\"network.proxy.type\", 2);\n"
                    "user_pref(\"c\", 3);\n",
                    true, "user_pref(\"a\", 1);\nuser_pref(\"b\", 2);\r\nuser_pref(\"c\", 3);\n" + kOn},
        RewriteCase{"CommentedOutOwnedLines",
                    "// user_pref(\"network.proxy.type\", 1);\n/* user_pref(\"network.proxy.socks\", \"x\"); */\nkeep\n",
                    false, "keep\n" + kOff},
        RewriteCase{"LookAlikesKept",
                    "user_pref(\"network.proxy.socks_version\", 5);\n"
                    "user_pref(\"network.proxy.socks_remote_dns\", true);\n"
                    "user_pref(\"network.proxy.socks_remote_dnsx\", true);\n"
                    "user_pref(\"network.proxy.socks\" , \"spaced\");\n"
                    "USER_PREF(\"network.proxy.type\", 1);\n"
                    "user_pref(\"network.proxy.http\", \"h\");\n",
                    true,
                    "user_pref(\"network.proxy.socks_version\", 5);\n"
                    "user_pref(\"network.proxy.socks_remote_dnsx\", true);\n"
                    "user_pref(\"network.proxy.socks\" , \"spaced\");\n"
                    "USER_PREF(\"network.proxy.type\", 1);\n"
                    "user_pref(\"network.proxy.http\", \"h\");\n" + kOn},
        RewriteCase{"LongForeignLineInThreeChunks", std::string(3000, 'x') + "\n", true,
                    std::string(3000, 'x') + "\n" + kOn},
        // The owned text in the third chunk drops only that chunk.
        RewriteCase{"LongLineWithOwnedTextInItsLastChunk",
                    std::string(2048, 'x') + "user_pref(\"network.proxy.type\", 1);\nnext\n", true,
                    std::string(2048, 'x') + "next\n" + kOn},
        RewriteCase{"OwnedTextStraddlingAChunkBoundary", StraddlingLine(), true, StraddlingLine() + kOn},
        RewriteCase{"NoFinalLineFeed", "user_pref(\"a\", 1);\nlast", true, "user_pref(\"a\", 1);\nlast\r\n" + kOn},
        RewriteCase{"NoFinalLineFeedOwned", "user_pref(\"a\", 1);\nuser_pref(\"network.proxy.type\", 1);", false,
                    "user_pref(\"a\", 1);\n" + kOff},
        RewriteCase{"FinalLineOfExactly1024Bytes", std::string(1024, 'y'), true, std::string(1024, 'y') + "\r\n" + kOn},
        RewriteCase{"OnlyALineFeed", "\n", true, "\n" + kOn},
        RewriteCase{"OnThenOff", "a\n" + kOn, false, "a\n" + kOff},
        RewriteCase{"TwiceTheSameCall", "a\n" + kOn, true, "a\n" + kOn}),
    [](const ::testing::TestParamInfo<RewriteCase>& info) { return std::string(info.param.name); });

// Random files made of pieces that exercise the chunk rules: foreign lines,
// owned lines, look-alikes, long lines, both line ends, and no final line feed.
std::string RandomUserJs(std::mt19937& random)
{
    static const std::vector<std::string> pieces = {
        "user_pref(\"browser.startup.page\", 3);",
        "user_pref(\"network.proxy.socks\", \"10.0.0.1\");",
        "user_pref(\"network.proxy.socks_port\", 9050);",
        "user_pref(\"network.proxy.type\", 2);",
        "user_pref(\"network.proxy.socks_version\", 5);",
        "user_pref(\"network.proxy.socks_remote_dns\", false);",
        "// user_pref(\"network.proxy.type\", 1);",
        "user_pref(\"network.proxy.",
        "",
    };
    std::uniform_int_distribution<size_t> pick(0, pieces.size() - 1);
    std::uniform_int_distribution<int> lines(0, 40);
    std::uniform_int_distribution<int> kind(0, 9);
    std::uniform_int_distribution<size_t> longLength(900, 2600);
    std::string file;
    const int count = lines(random);
    for (int i = 0; i < count; ++i) {
        const int k = kind(random);
        if (k == 0)
            file += std::string(longLength(random), static_cast<char>('a' + i % 26));
        else
            file += pieces[pick(random)];
        if (k == 1 && !file.empty())
            file += pieces[pick(random)];
        file += kind(random) < 5 ? "\r\n" : "\n";
    }
    if (kind(random) < 3)
        file += "tail without line feed";
    return file;
}

// The chunks of the file in their order, cut by the rule (after LF or at 1024 bytes).
std::vector<std::string> Chunks(std::string_view file)
{
    std::vector<std::string> chunks;
    std::string chunk;
    for (char byte : file) {
        chunk += byte;
        if (byte == '\n' || chunk.size() == UserJsRewriter::kChunkLimit) {
            chunks.push_back(chunk);
            chunk.clear();
        }
    }
    if (!chunk.empty())
        chunks.push_back(chunk);
    return chunks;
}

bool IsOwned(std::string_view chunk)
{
    return chunk.find("user_pref(\"network.proxy.socks\",") != std::string_view::npos ||
           chunk.find("user_pref(\"network.proxy.socks_port\",") != std::string_view::npos ||
           chunk.find("user_pref(\"network.proxy.type\",") != std::string_view::npos ||
           chunk.find("user_pref(\"network.proxy.socks_remote_dns\",") != std::string_view::npos;
}

std::string RewriteInPieces(std::string_view file, bool enable, std::mt19937& random)
{
    std::string out;
    UserJsRewriter rewriter([&out](std::string_view bytes) {
        out.append(bytes);
        return true;
    });
    std::uniform_int_distribution<size_t> piece(0, 1500);
    while (!file.empty()) {
        const size_t length = std::min(piece(random), file.size());
        EXPECT_TRUE(rewriter.Feed(file.substr(0, length)));
        file.remove_prefix(length);
    }
    EXPECT_TRUE(rewriter.Finish(Lines(enable)));
    return out;
}

TEST(UserJsRewriteTest, RandomFilesKeepForeignChunksAndEndWithOneCopyOfTheLines)
{
    std::mt19937 random(4962);
    for (int round = 0; round < 3000; ++round) {
        const std::string file = RandomUserJs(random);
        const bool enable = round % 2 == 0;
        const std::string& lines = Lines(enable);
        const std::string once = RewriteUserJs(file, lines);

        std::string kept;
        for (const std::string& chunk : Chunks(file)) {
            if (!IsOwned(chunk))
                kept += chunk;
        }
        if (!kept.empty() && kept.back() != '\n')
            kept += "\r\n";
        ASSERT_EQ(once, kept + lines) << "round " << round;

        ASSERT_EQ(RewriteUserJs(once, lines), once) << "round " << round;
        ASSERT_EQ(RewriteInPieces(file, enable, random), once) << "round " << round;
    }
}

TEST(UserJsRewriteTest, EveryByteByItselfGivesTheSameOutput)
{
    std::mt19937 random(1234);
    for (int round = 0; round < 50; ++round) {
        const std::string file = RandomUserJs(random);
        std::string out;
        UserJsRewriter rewriter([&out](std::string_view bytes) {
            out.append(bytes);
            return true;
        });
        for (char byte : file)
            ASSERT_TRUE(rewriter.Feed(std::string_view(&byte, 1)));
        ASSERT_TRUE(rewriter.Finish(kOn));
        ASSERT_EQ(out, RewriteUserJs(file, kOn));
    }
}

TEST(UserJsRewriteTest, SinkFailureIsReportedAndNothingMoreIsWritten)
{
    int calls = 0;
    UserJsRewriter rewriter([&calls](std::string_view) { return ++calls < 2; });
    // A dropped chunk between two kept ones makes two writes; the second fails.
    EXPECT_FALSE(rewriter.Feed("a\nuser_pref(\"network.proxy.type\", 1);\nb\n"));
    EXPECT_EQ(calls, 2);
    EXPECT_FALSE(rewriter.Feed("c\n"));
    EXPECT_FALSE(rewriter.Finish(kOn));
    EXPECT_EQ(calls, 2);
}

TEST(UserJsRewriteTest, FailureOfTheAppendedLinesIsReported)
{
    UserJsRewriter rewriter([](std::string_view bytes) { return bytes.find("network.proxy") == std::string_view::npos; });
    EXPECT_TRUE(rewriter.Feed("a\n"));
    EXPECT_FALSE(rewriter.Finish(kOff));
}

}  // namespace
