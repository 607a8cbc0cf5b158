// The start-up update check against a loopback HTTP server on the profile's
// web site port, with the stored times written to drive the 30-day rule. The
// schedule, the marker and the page's bounds are tested natively.
#include "LoopbackHttpServer.h"
#include "TestSupport.h"

#include "app/Settings.h"
#include "web/UpdateCheck.h"

#include <gtest/gtest.h>

namespace {

constexpr const wchar_t* kAsk = L"Do you wish to check for new updates to the Corvane application?";
constexpr const wchar_t* kNew =
    L"New updates of Corvane are available at the Lanterfield website.  Do you wish to download the new updates?";
constexpr const wchar_t* kNone = L"There are no new updates of Corvane currently available.";

// The first start stores the time and asks nothing; thirty days on it asks,
// and No starts a new period and checks nothing. Yes offers the page only
// when it came whole with the marker, within the deadline; whatever the
// server does, the start-up goes on in time.
TEST(UpdateCheckTest, AsksAfterThirtyDaysAndOffersThePageOnlyWhenItCameWholeWithTheMarker)
{
    using Mode = LoopbackHttpServer::Mode;
    const std::string headWithoutLength = "HTTP/1.0 200 OK\r\nConnection: close\r\n\r\n";  // ends when closed
    const std::string ok = "HTTP/1.0 200 OK\r\nContent-Length: 24\r\nConnection: close\r\n\r\n<html>UPDATE=True</html>";
    // daysSinceAsked none: the first start; server none: nothing listens; result: the box after a Yes.
    struct Row { const char* name; std::optional<int> daysSinceAsked; std::optional<Mode> server; std::string response;
        int answer; const wchar_t* result; };
    const Row rows[] = {
        {"FirstStart", std::nullopt, Mode::Answer, ok, IDYES, nullptr},
        {"AnsweredNo", 30, Mode::Answer, ok, IDNO, nullptr},
        {"Marker", 31, Mode::Answer, ok, IDYES, kNew},
        {"MarkerWithoutALength", 31, Mode::Answer, headWithoutLength + "<html>UPDATE=True</html>", IDYES, kNew},
        {"NotFoundPage", 31, Mode::Answer, "HTTP/1.0 404 Not Found\r\nContent-Length: 11\r\n\r\nUPDATE=True", IDYES, kNone},
        {"CutAfterTheMarker", 31, Mode::Answer, "HTTP/1.0 200 OK\r\nContent-Length: 4096\r\n\r\n<html>UPDATE=True", IDYES, kNone},
        {"TrickleAfterTheMarker", 31, Mode::Trickle, headWithoutLength + "<html>UPDATE=True", IDYES, kNone},
        {"NeverAnswers", 31, Mode::Hold, "", IDYES, kNone},
        {"ClosedPort", 31, std::nullopt, "", IDYES, kNone},
    };
    CWnd owner{::GetDesktopWindow()};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ScopedTestProfile profile;
        const int64_t now = _time64(nullptr);
        if (row.daysSinceAsked)
            settings::WriteInt(settings::kLastUpdateAsk, static_cast<int>(static_cast<uint32_t>(now - *row.daysSinceAsked * 86400)));
        std::optional<LoopbackHttpServer> server;
        ASSERT_TRUE(!row.server || server.emplace(8462, *row.server, row.response).Listening()) << "is the demo service on?";
        UrlRecorder urls;
        MessageBoxScript boxes({row.answer, IDYES});

        EXPECT_EQ(CheckForUpdates(&owner, {.deadlineMs = 1500}), row.result == kNew);
        EXPECT_LT(_time64(nullptr) - now, 3) << "the start-up goes on";
        EXPECT_GE(static_cast<int32_t>(settings::GetInt(settings::kLastUpdateAsk, 0)), static_cast<int32_t>(now));
        EXPECT_EQ(ReadRegDword(TheTestApp().ProfileKeyPath() + L"\\" + settings::kSection, settings::kLastUpdateCheck).has_value(),
                  row.result != nullptr);
        std::wstring texts;
        for (const MessageBoxRequest& box : boxes.Shown())
            texts += box.text + L"|";
        EXPECT_EQ(texts, (row.daysSinceAsked ? kAsk + std::wstring(L"|") : L"") + (row.result ? row.result + std::wstring(L"|") : L""));
        EXPECT_TRUE(row.result != kNone || boxes.Shown().back().owner == owner.GetSafeHwnd()) << "owned by the start-up's";
        EXPECT_TRUE(boxes.Shown().empty() || (boxes.Shown()[0].flags == (MB_YESNO | MB_ICONQUESTION) &&
                                              boxes.Shown()[0].caption == L"Corvane")) << "the question's box";
        EXPECT_EQ(urls.Opened(), row.result == kNew ? std::vector<std::wstring>{L"http://127.0.0.1:8462/corvane_new_update.html"} : std::vector<std::wstring>{});
    }
}

}  // namespace
