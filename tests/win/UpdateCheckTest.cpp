// The start-up update check against a loopback HTTP server on the profile's
// web site port, with the stored times written to drive the 30-day rule.
#include "LoopbackHttpServer.h"
#include "TestSupport.h"

#include "app/Settings.h"
#include "framework/Strings.h"
#include "res/resource.h"
#include "web/UpdateCheck.h"
#include "web/WebAddresses.h"

#include <gtest/gtest.h>
#include <wininet.h>

#include <ctime>

namespace {

constexpr int64_t kDay = 86400;

unsigned short ProfileWebPort()
{
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof(parts);
    const std::wstring url = UpdatePageUrl();
    ::InternetCrackUrlW(url.c_str(), 0, 0, &parts);
    return static_cast<unsigned short>(parts.nPort);
}

class UpdateCheckTest : public testing::Test {
protected:
    void StoreLastAsk(int64_t secondsAgo)
    {
        settings::WriteInt(settings::kLastUpdateAsk, static_cast<int>(static_cast<uint32_t>(_time64(nullptr) - secondsAgo)));
    }
    bool HasValue(const wchar_t* name)
    {
        return settings::GetInt(name, -7) != static_cast<unsigned>(-7);
    }

    ScopedTestProfile profile;
    CWnd owner{::GetDesktopWindow()};
};

TEST_F(UpdateCheckTest, FirstStartStoresTheTimeAndAsksNothing)
{
    MessageBoxScript boxes;
    const int64_t before = _time64(nullptr);
    EXPECT_FALSE(CheckForUpdates(&owner));
    EXPECT_TRUE(boxes.Shown().empty());
    const auto stored = static_cast<int32_t>(settings::GetInt(settings::kLastUpdateAsk, 0));
    EXPECT_GE(stored, static_cast<int32_t>(before));
    EXPECT_LE(stored, static_cast<int32_t>(_time64(nullptr)));
    EXPECT_FALSE(HasValue(settings::kLastUpdateCheck));
}

TEST_F(UpdateCheckTest, NoQuestionWithinThirtyDays)
{
    StoreLastAsk(29 * kDay + 23 * 3600 + 59 * 60);
    MessageBoxScript boxes;
    EXPECT_FALSE(CheckForUpdates(&owner));
    EXPECT_TRUE(boxes.Shown().empty());
}

TEST_F(UpdateCheckTest, AnsweringNoStartsANewPeriodWithoutChecking)
{
    StoreLastAsk(30 * kDay);
    LoopbackHttpServer server(ProfileWebPort(), LoopbackHttpServer::Mode::Answer,
                              LoopbackHttpServer::Response("200 OK", "UPDATE=True"));
    MessageBoxScript boxes({IDNO});
    const int64_t before = _time64(nullptr);
    EXPECT_FALSE(CheckForUpdates(&owner));
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, LoadStringResource(IDS_ASK_UPDATE_CHECK));
    EXPECT_EQ(boxes.Shown()[0].flags, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(boxes.Shown()[0].caption, TheTestApp().m_strAppName);
    EXPECT_GE(static_cast<int32_t>(settings::GetInt(settings::kLastUpdateAsk, 0)), static_cast<int32_t>(before));
    EXPECT_FALSE(HasValue(settings::kLastUpdateCheck));
    EXPECT_EQ(server.Requests(), 0);
}

struct PageCase {
    const char* name;
    std::string response;
    bool found;
    LoopbackHttpServer::Mode mode = LoopbackHttpServer::Mode::Answer;
    uint32_t deadlineMs = 15000;  // the product's
};

// Without a Content-Length: the body ends when the server closes.
const std::string kHeadWithoutLength = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\n\r\n";

// Test names and failure messages show the case by its name.
void PrintTo(const PageCase& c, std::ostream* out)
{
    *out << c.name;
}

class UpdatePageTest : public UpdateCheckTest, public testing::WithParamInterface<PageCase> {};

TEST_P(UpdatePageTest, OffersThePageOnlyWhenItCameWholeWithTheMarker)
{
    StoreLastAsk(31 * kDay);
    LoopbackHttpServer server(ProfileWebPort(), GetParam().mode, GetParam().response);
    ASSERT_TRUE(server.Listening());
    UrlRecorder urls;
    MessageBoxScript boxes({IDYES, IDYES});

    const ULONGLONG start = ::GetTickCount64();
    const bool opened = CheckForUpdates(&owner, {.deadlineMs = GetParam().deadlineMs});
    // The page's end, the cap or the trickle rows' short deadline ends every
    // row: a trickle goes on for 10 s and the endless reply for ever.
    EXPECT_LT(::GetTickCount64() - start, 3000u);

    EXPECT_EQ(server.Requests(), 1);
    EXPECT_TRUE(HasValue(settings::kLastUpdateCheck));
    ASSERT_EQ(boxes.Shown().size(), 2u);
    if (GetParam().found) {
        EXPECT_TRUE(opened);
        EXPECT_EQ(boxes.Shown()[1].text, LoadStringResource(IDS_UPDATE_AVAILABLE));
        EXPECT_EQ(urls.Opened(), std::vector<std::wstring>{UpdatePageUrl()});
    } else {
        EXPECT_FALSE(opened);
        EXPECT_EQ(boxes.Shown()[1].text, LoadStringResource(IDS_NO_UPDATES));
        EXPECT_EQ(boxes.Shown()[1].flags, static_cast<UINT>(MB_OK));
        EXPECT_EQ(boxes.Shown()[1].owner, owner.GetSafeHwnd());
        EXPECT_TRUE(urls.Opened().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Pages, UpdatePageTest,
    testing::Values(
        PageCase{"Marker", LoopbackHttpServer::Response("200 OK", "<html>UPDATE=True</html>"), true},
        PageCase{"MarkerAcrossAChunkBoundary",
                 LoopbackHttpServer::Response("200 OK", std::string(1019, 'x') + "UPDATE=True" + std::string(50, 'y')),
                 true},
        PageCase{"LowerCaseOnly", LoopbackHttpServer::Response("200 OK", "update=true"), false},
        PageCase{"NotFoundPage", LoopbackHttpServer::Response("404 Not Found", "<h1>Not Found</h1>UPDATE=True"), false},
        PageCase{"EmptyPage", LoopbackHttpServer::Response("200 OK", ""), false},
        PageCase{"MarkerWithoutALength", kHeadWithoutLength + "<html>UPDATE=True</html>", true},
        PageCase{"CutAfterTheMarker",
                 "HTTP/1.0 200 OK\r\nContent-Length: 4096\r\nConnection: close\r\n\r\n<html>UPDATE=True", false},
        PageCase{"TrickleAfterTheMarker", kHeadWithoutLength + "<html>UPDATE=True", false,
                 LoopbackHttpServer::Mode::Trickle, 1500},
        PageCase{"TrickledHeaders", "HTTP/1.0 200 OK\r\nX-Slow: ", false, LoopbackHttpServer::Mode::Trickle, 1500},
        PageCase{"EndlessAfterTheMarker", kHeadWithoutLength + "<html>UPDATE=True", false,
                 LoopbackHttpServer::Mode::Endless}),
    [](const testing::TestParamInfo<PageCase>& info) { return info.param.name; });

TEST_F(UpdateCheckTest, AClosedPortEndsInNoUpdates)
{
    ASSERT_TRUE(LoopbackHttpServer(ProfileWebPort(), LoopbackHttpServer::Mode::Answer).Listening())
        << "the web site's port is taken: is the demo service running?";
    StoreLastAsk(40 * kDay);
    MessageBoxScript boxes({IDYES});
    EXPECT_FALSE(CheckForUpdates(&owner));
    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(boxes.Shown()[1].text, LoadStringResource(IDS_NO_UPDATES));
}

TEST_F(UpdateCheckTest, AServerThatNeverAnswersCannotHoldTheStartUp)
{
    StoreLastAsk(40 * kDay);
    LoopbackHttpServer server(ProfileWebPort(), LoopbackHttpServer::Mode::Stall);
    ASSERT_TRUE(server.Listening()) << "the web site's port is taken: is the demo service running?";
    MessageBoxScript boxes({IDYES});
    const ULONGLONG start = ::GetTickCount64();
    EXPECT_FALSE(CheckForUpdates(&owner));
    const ULONGLONG elapsed = ::GetTickCount64() - start;
    // Bounded by the 5000 ms send and receive time-outs, not by the server.
    EXPECT_LT(elapsed, 15000u);
    ASSERT_EQ(boxes.Shown().size(), 2u);
    EXPECT_EQ(boxes.Shown()[1].text, LoadStringResource(IDS_NO_UPDATES));
}

}  // namespace
