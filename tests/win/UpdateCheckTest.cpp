// The start-up update check against a loopback HTTP server on the profile's
// web site port, with the stored times written to drive the 30-day rule. The
// schedule, the marker and the page's bounds are tested natively.
#include "LoopbackHttpServer.h"
#include "TestSupport.h"

#include "app/Settings.h"
#include "web/UpdateCheck.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

constexpr int64_t kDay = 86400;
constexpr const wchar_t* kNoUpdates = L"There are no new updates of Corvane currently available.";
constexpr unsigned short kWebPort = 8462;  // the test profile's web site

std::string Ok(const std::string& body)
{
    return "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

class UpdateCheckTest : public testing::Test {
protected:
    void StoreLastAsk(int64_t secondsAgo)
    {
        settings::WriteInt(settings::kLastUpdateAsk, static_cast<int>(static_cast<uint32_t>(_time64(nullptr) - secondsAgo)));
    }

    ScopedTestProfile profile;
    CWnd owner{::GetDesktopWindow()};
};

// The first start stores the time and asks nothing; thirty days on it asks,
// and No starts a new period without any request.
TEST_F(UpdateCheckTest, TheQuestionComesAfterThirtyDaysAndNoChecksNothing)
{
    LoopbackHttpServer server(kWebPort, LoopbackHttpServer::Mode::Answer, Ok("UPDATE=True"));
    MessageBoxScript boxes({IDNO});
    const int64_t before = _time64(nullptr);
    EXPECT_FALSE(CheckForUpdates(&owner));
    EXPECT_TRUE(boxes.Shown().empty());
    EXPECT_GE(static_cast<int32_t>(settings::GetInt(settings::kLastUpdateAsk, 0)), static_cast<int32_t>(before));
    StoreLastAsk(30 * kDay);
    EXPECT_FALSE(CheckForUpdates(&owner));
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, L"Do you wish to check for new updates to the Corvane application?");
    EXPECT_EQ(boxes.Shown()[0].flags, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(boxes.Shown()[0].caption, L"Corvane");
    EXPECT_GE(static_cast<int32_t>(settings::GetInt(settings::kLastUpdateAsk, 0)), static_cast<int32_t>(before));
    EXPECT_EQ(server.Requests(), 0);
    EXPECT_FALSE(ReadRegDword(TheTestApp().ProfileKeyPath() + L"\\" + settings::kSection, settings::kLastUpdateCheck));
}

// The page is offered only when it came whole with the marker, within the
// deadline; whatever the server does, the start-up goes on in time.
TEST_F(UpdateCheckTest, OffersThePageOnlyWhenItCameWholeWithTheMarker)
{
    using Mode = LoopbackHttpServer::Mode;
    const std::string headWithoutLength = "HTTP/1.0 200 OK\r\nConnection: close\r\n\r\n";  // ends when closed
    // server none: nothing listens.
    struct Row { const char* name; std::optional<Mode> server; std::string response; bool found; };
    const Row rows[] = {
        {"Marker", Mode::Answer, Ok("<html>UPDATE=True</html>"), true},
        {"MarkerWithoutALength", Mode::Answer, headWithoutLength + "<html>UPDATE=True</html>", true},
        {"NotFoundPage", Mode::Answer, "HTTP/1.0 404 Not Found\r\nContent-Length: 11\r\n\r\nUPDATE=True", false},
        {"CutAfterTheMarker", Mode::Answer, "HTTP/1.0 200 OK\r\nContent-Length: 4096\r\n\r\n<html>UPDATE=True", false},
        {"TrickleAfterTheMarker", Mode::Trickle, headWithoutLength + "<html>UPDATE=True", false},
        {"NeverAnswers", Mode::Hold, "", false},
        {"ClosedPort", std::nullopt, "", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ScopedTestProfile::Clear();
        StoreLastAsk(31 * kDay);
        std::optional<LoopbackHttpServer> server;
        if (row.server) {
            ASSERT_TRUE(server.emplace(kWebPort, *row.server, row.response).Listening()) << "is the demo service on?";
        }
        UrlRecorder urls;
        MessageBoxScript boxes({IDYES, IDYES});

        const ULONGLONG start = ::GetTickCount64();
        EXPECT_EQ(CheckForUpdates(&owner, {.deadlineMs = 1500}), row.found);
        EXPECT_LT(::GetTickCount64() - start, 3000u);
        if (row.server && *row.server != Mode::Hold) {
            EXPECT_EQ(server->Requests(), 1);
        }

        EXPECT_TRUE(ReadRegDword(TheTestApp().ProfileKeyPath() + L"\\" + settings::kSection, settings::kLastUpdateCheck));
        ASSERT_EQ(boxes.Shown().size(), 2u);
        EXPECT_EQ(boxes.Shown()[1].text, row.found ? L"New updates of Corvane are available at the Lanterfield website. "
                                                     L" Do you wish to download the new updates?"
                                                   : kNoUpdates);
        if (!row.found) {
            EXPECT_EQ(boxes.Shown()[1].owner, owner.GetSafeHwnd());
        }
        EXPECT_EQ(urls.Opened(), row.found ? std::vector<std::wstring>{L"http://127.0.0.1:8462/corvane_new_update.html"} : std::vector<std::wstring>{});
    }
}

}  // namespace
