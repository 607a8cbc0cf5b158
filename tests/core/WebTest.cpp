#include "web/PageDownload.h"
#include "web/UpdateSchedule.h"
#include "web/WebAddresses.h"

#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "ServiceProfile.h"

namespace {

constexpr int64_t kDay = 86400;
constexpr int64_t kNow = 1700000000;  // 2023-11-14

constexpr uint32_t Low(int64_t time) { return static_cast<uint32_t>(time); }

// Catches a question asked more often than every 30 days, a time in the future
// that blocks it for ever (or is taken as long past), and a stored value read
// as unsigned, which after January 2038 would never ask again.
TEST(WebTest, UpdateQuestionSchedule)
{
    const struct { const char* name; int64_t now; uint32_t stored; bool firstStart, due; } rows[] = {
        {"NeverAsked", kNow, 0, true, false},
        {"JustAsked", kNow, Low(kNow), false, false},
        {"OneSecondShortOf30Days", kNow, Low(kNow - 30 * kDay + 1), false, false},
        {"Exactly30Days", kNow, Low(kNow - 30 * kDay), false, true},
        {"FarInTheFuture", kNow, Low(kNow + 400 * kDay), false, false},
        {"FutureTimeReached30DaysLater", kNow + 40 * kDay, Low(kNow + 10 * kDay), false, true},
        {"FutureTimeNotYet30DaysLater", kNow + 39 * kDay, Low(kNow + 10 * kDay), false, false},
        // A stored value with the top bit set reads as a time before 1970.
        {"NegativeStoredValue", kNow, 0x80000000u, false, true},
        // From January 2038 the low 32 bits read back as a date in 1901, so the
        // question is due at every start; a value stored before the wrap still
        // counts the days right.
        {"WrappedStoreJustAsked", int64_t{0x80000010}, 0x80000010u, false, true},
        {"StoredJustBeforeTheWrap", int64_t{0x80000010}, 0x7FFFFFF0u, false, false},
    };
    for (const auto& r : rows) {
        const UpdateSchedule schedule = DecideUpdateQuestion(r.now, r.stored);
        EXPECT_EQ(schedule.firstStart, r.firstStart) << r.name;
        EXPECT_EQ(schedule.questionDue, r.due) << r.name;
    }
    EXPECT_EQ(LowTimeBits(int64_t{0x1'2345'6789}), 0x2345'6789u);
}

TEST(WebTest, UpdateMarkerIsAnExactCaseSensitiveSubstring)
{
    EXPECT_TRUE(PageHasUpdateMarker(L"<html>UPDATE=True</html>"));
    for (const wchar_t* page : {L"update=true", L"UPDATE=TRUE", L"UPDATE = True", L""})
        EXPECT_FALSE(PageHasUpdateMarker(page)) << testing::PrintToString(std::wstring(page));
}

// Catches a download that reads on past the 64 KiB cap or a 404, and a cut or
// partial page taken as whole (an update offered from half a page).
TEST(WebTest, PageDownload)
{
    // The next read with a 64 KiB cap and 1024-byte reads, and whether the page came whole.
    const struct { const char* name; PageTransfer transfer; size_t nextRead; bool whole; } rows[] = {
        {"NothingReadYet", {.status = 200}, 1024, false},
        {"NoLengthEnded", {.status = 200, .received = 500, .ended = true}, 0, true},
        {"NoLengthNearTheCapAsksOnePastIt", {.status = 200, .received = 65000}, 537, false},
        {"NoLengthAtTheCapLooksForTheEnd", {.status = 200, .received = 65536}, 1, false},
        {"NoLengthEndedAtTheCap", {.status = 200, .received = 65536, .ended = true}, 0, true},
        {"NoLengthOverTheCap", {.status = 200, .received = 65537}, 0, false},
        {"NoLengthEndedOverTheCap", {.status = 200, .received = 65537, .ended = true}, 0, false},
        {"LengthPartway", {.status = 200, .declaredLength = 3000, .received = 2500}, 500, false},
        // Whole without waiting for the server to close.
        {"LengthArrived", {.status = 200, .declaredLength = 3000, .received = 3000}, 0, true},
        {"CutShortOfTheLength", {.status = 200, .declaredLength = 4096, .received = 17, .ended = true}, 0, false},
        {"EmptyWithLengthZero", {.status = 200, .declaredLength = 0}, 0, true},
        {"LengthOfTheCap", {.status = 200, .declaredLength = 65536, .received = 65536}, 0, true},
        {"LengthOverTheCapIsNotRead", {.status = 200, .declaredLength = 65537}, 0, false},
        {"NotFound", {.status = 404, .declaredLength = 10}, 0, false},
        {"PartialContent", {.status = 206, .received = 10, .ended = true}, 0, false},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(NextPageRead(r.transfer, 65536, 1024), r.nextRead) << r.name;
        EXPECT_EQ(PageCameWhole(r.transfer, 65536), r.whole) << r.name;
    }
}

// The site comes from the service profile; the pages and the customer id do not.
TEST(WebTest, PagesOfTheServiceSiteAndTheCustomerId)
{
    const std::wstring site = profile::kWebSite;
    EXPECT_EQ(UpdatePageUrl(), site + L"/corvane_new_update.html");
    EXPECT_EQ(AccountPageUrl(), site + L"/managemyaccount.html");
    EXPECT_EQ(HelpPageUrl(), site + L"/internet_privacy_faq/corvane_faq.html");
    EXPECT_EQ(IpAddressPageUrl(), site + L"/IP_address.html");
    EXPECT_EQ(SignUpPageUrl(), profile::kSignUpUrl);
    const std::wstring account = L"http://site.example/managemyaccount.html";
    EXPECT_EQ(AccountPageUrlWithCustomer(account, L"12345"), account + L"?c=12345");
    EXPECT_EQ(AccountPageUrlWithCustomer(account, L""), account);
    EXPECT_EQ(AccountPageUrlWithCustomer(account, L"a b&c=%s"), account + L"?c=a b&c=%s");
}

}  // namespace
