#include "proxy/UserJsRewrite.h"

#include <algorithm>
#include <random>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

namespace {

// The rewriter appends whatever lines it is given; these stand for on and off.
const std::string kOn = "user_pref(\"network.proxy.socks\", \"localhost\");\r\nuser_pref(\"network.proxy.type\", 1);\r\n";
const std::string kOff = "user_pref(\"network.proxy.type\", 5);\r\n";

// Catches a foreign line lost or altered, an owned line (or a commented-out
// one) kept, a look-alike dropped, chunks cut at the wrong place, and a last
// line without a line feed that the appended lines run into.
TEST(UserJsRewriteTest, GivesTheExactBytes)
{
    const std::string a = "user_pref(\"a\", 1);\n", type1 = "user_pref(\"network.proxy.type\", 1);";
    const std::string straddling = std::string(1024 - 10, 'a') + "user_pref(\"network.proxy.type\", 5);\n";
    const std::string lookAlikes =
        "user_pref(\"network.proxy.socks_version\", 5);\nuser_pref(\"network.proxy.socks_remote_dnsx\", true);\n"
        "user_pref(\"network.proxy.socks\" , \"spaced\");\nUSER_PREF(\"network.proxy.type\", 1);\n"
        "user_pref(\"network.proxy.http\", \"h\");\n";
    // The output is `kept`, then the given lines.
    const struct { const char* name; std::string original, kept; bool on = true; } rows[] = {
        {"Empty", "", ""}, {"OnThenOff", "a\n" + kOn, "a\n", false}, {"TwiceTheSameIsUnchanged", "a\n" + kOn, "a\n"},
        {"ForeignLines", a + "user_pref(\"b\", 2);\r\n", a + "user_pref(\"b\", 2);\r\n"},
        {"OwnedLinesInTheMiddle",
         a + "user_pref(\"network.proxy.socks\", \"old\");\nuser_pref(\"b\", 2);\r\n"
             "user_pref(\"network.proxy.socks_port\", 8080);\r\nuser_pref(\"network.proxy.type\", 2);\nc\n",
         a + "user_pref(\"b\", 2);\r\nc\n"},
        {"CommentedOut", "// " + type1 + "\n/* user_pref(\"network.proxy.socks\", \"x\"); */\nkeep\n", "keep\n", false},
        {"LookAlikesKept", lookAlikes + "user_pref(\"network.proxy.socks_remote_dns\", true);\n", lookAlikes},
        {"LongForeignLineInThreeChunks", std::string(3000, 'x') + "\n", std::string(3000, 'x') + "\n"},
        // The owned text in the third chunk drops only that chunk.
        {"OwnedInLastChunkOfALongLine", std::string(2048, 'x') + type1 + "\nnext\n", std::string(2048, 'x') + "next\n"},
        // A chunk boundary falls inside the owned text: neither half holds it whole.
        {"OwnedTextStraddlingAChunkBoundary", straddling, straddling},
        {"NoFinalLineFeed", a + "last", a + "last\r\n"}, {"NoFinalLineFeedOwned", a + type1, a, false},
        {"FinalLineOfExactly1024Bytes", std::string(1024, 'y'), std::string(1024, 'y') + "\r\n"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(RewriteUserJs(r.original, r.on ? kOn : kOff), r.kept + (r.on ? kOn : kOff)) << r.name;
}

// A random file of pieces that exercise the chunk rules: foreign and owned
// lines, look-alikes, long lines, both line ends, no final line feed.
std::string RandomUserJs(std::mt19937& random)
{
    static const std::string pieces[] = {
        "user_pref(\"browser.startup.page\", 3);", "user_pref(\"network.proxy.socks\", \"10.0.0.1\");",
        "user_pref(\"network.proxy.socks_port\", 9050);", "user_pref(\"network.proxy.type\", 2);",
        "user_pref(\"network.proxy.socks_version\", 5);", "user_pref(\"network.proxy.socks_remote_dns\", false);",
        "// user_pref(\"network.proxy.type\", 1);", "user_pref(\"network.proxy.", "", "long"};
    std::uniform_int_distribution<size_t> pick(0, std::size(pieces) - 1), longLength(900, 2600);
    std::uniform_int_distribution<int> lines(0, 40), coin(0, 9);
    std::string file;
    for (int i = lines(random); i > 0; --i) {
        for (int n = coin(random) == 1 ? 2 : 1; n > 0; --n) {
            const std::string& piece = pieces[pick(random)];
            file += piece == "long" ? std::string(longLength(random), static_cast<char>('a' + i % 26)) : piece;
        }
        file += coin(random) < 5 ? "\r\n" : "\n";
    }
    if (coin(random) < 3)
        file += "tail without line feed";
    return file;
}

// What the rewrite keeps: the chunks (cut after LF or at 1024 bytes) without an owned text.
std::string KeptChunks(std::string_view file)
{
    std::string kept;
    for (size_t at = 0, length; at < file.size(); at += length) {
        length = std::min(std::min(file.find('\n', at), file.size() - 1) - at + 1, size_t{1024});
        const std::string_view chunk = file.substr(at, length);
        bool owned = false;
        for (const char* name : {"socks\",", "socks_port\",", "type\",", "socks_remote_dns\","})
            owned = owned || chunk.find("user_pref(\"network.proxy." + std::string(name)) != chunk.npos;
        if (!owned)
            kept += chunk;
    }
    if (!kept.empty() && kept.back() != '\n')
        kept += "\r\n";
    return kept;
}

// Catches output that depends on how the file is split into reads (down to
// single bytes), and a second rewrite that changes the file again.
TEST(UserJsRewriteTest, RandomFilesKeepForeignChunksAndEndWithOneCopyOfTheLines)
{
    std::mt19937 random(4962);
    for (int round = 0; round < 3000; ++round) {
        const std::string file = RandomUserJs(random);
        const std::string& lines = round % 2 == 0 ? kOn : kOff;
        const std::string once = RewriteUserJs(file, lines);
        ASSERT_EQ(once, KeptChunks(file) + lines) << "round " << round;
        ASSERT_EQ(RewriteUserJs(once, lines), once) << "round " << round;

        std::string out;
        UserJsRewriter rewriter([&out](std::string_view bytes) { return out.append(bytes), true; });
        std::uniform_int_distribution<size_t> piece(0, round % 3 == 0 ? 1 : 1500);
        for (std::string_view rest = file; !rest.empty();) {
            const size_t length = std::min(piece(random), rest.size());
            ASSERT_TRUE(rewriter.Feed(rest.substr(0, length)));
            rest.remove_prefix(length);
        }
        ASSERT_TRUE(rewriter.Finish(lines));
        ASSERT_EQ(out, once) << "round " << round;
    }
}

// A failed write is reported, not taken for a rewritten file.
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

    UserJsRewriter linesFail([](std::string_view bytes) { return bytes.find("network.proxy") == std::string_view::npos; });
    EXPECT_TRUE(linesFail.Feed("a\n"));
    EXPECT_FALSE(linesFail.Finish(kOff));
}

}  // namespace
