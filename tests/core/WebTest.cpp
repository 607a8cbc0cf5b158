#include "web/PageDownload.h"
#include "web/UpdateSchedule.h"
#include "web/WebAddresses.h"

#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "ServiceProfile.h"

namespace {

constexpr int64_t kDay = 86400, kWrapped = 0x80000010;  // the latter after January 2038
constexpr int64_t kNow = 1700000000;  // 2023-11-14

constexpr uint32_t Low(int64_t time) { return static_cast<uint32_t>(time); }

// Catches a question asked more often than every 30 days, a time in the future
// that blocks it for ever (or is taken as long past), and a stored value read
// as unsigned, which after January 2038 would never ask again.
TEST(WebTest, UpdateQuestionSchedule)
{
    const struct { const char* name; int64_t now; uint32_t stored; bool firstStart, due; } rows[] = {
        {"NeverAsked", kNow, 0, true, false}, {"JustAsked", kNow, Low(kNow), false, false},
        {"1sShortOf30Days", kNow, Low(kNow - 30 * kDay + 1), false, false},
        {"Exactly30Days", kNow, Low(kNow - 30 * kDay), false, true},
        {"FarInTheFuture", kNow, Low(kNow + 400 * kDay), false, false},
        {"Future30DaysLater", kNow + 40 * kDay, Low(kNow + 10 * kDay), false, true},
        {"FutureNot30DaysLater", kNow + 39 * kDay, Low(kNow + 10 * kDay), false, false},
        // A stored value with the top bit set reads as a time before 1970. From
        // January 2038 the low 32 bits read back as a date in 1901, so the
        // question is due at every start; a value stored before the wrap still
        // counts the days right.
        {"NegativeStored", kNow, 0x80000000u, false, true}, {"WrappedJustAsked", kWrapped, Low(kWrapped), false, true},
        {"StoredJustBeforeTheWrap", kWrapped, 0x7FFFFFF0u, false, false},
    };
    for (const auto& r : rows) {
        const UpdateSchedule schedule = DecideUpdateQuestion(r.now, r.stored);
        EXPECT_EQ(schedule.firstStart, r.firstStart) << r.name;
        EXPECT_EQ(schedule.questionDue, r.due) << r.name;
    }
    EXPECT_EQ(LowTimeBits(int64_t{0x1'2345'6789}), 0x2345'6789u);
}

// Catches a download that reads on past the 64 KiB cap or a 404, a cut or
// partial page taken as whole (an update offered from half a page), and an
// update marker found in other case or spacing.
TEST(WebTest, UpdatePage)
{
    // The transfer is {status, declared length, received, ended}; the next read
    // with a 64 KiB cap and 1024-byte reads, and whether the page came whole.
    const struct { const char* name; PageTransfer transfer; size_t nextRead; bool whole; } rows[] = {
        {"NothingReadYet", {200, {}, 0, false}, 1024, false}, {"NoLengthEnded", {200, {}, 500, true}, 0, true},
        {"NearTheCapAsksOnePastIt", {200, {}, 65000, false}, 537, false},
        {"AtTheCapLooksForTheEnd", {200, {}, 65536, false}, 1, false},
        {"EndedAtTheCap", {200, {}, 65536, true}, 0, true}, {"OverTheCap", {200, {}, 65537, false}, 0, false},
        {"EndedOverTheCap", {200, {}, 65537, true}, 0, false}, {"Partway", {200, 3000, 2500, false}, 500, false},
        // Whole without waiting for the server to close.
        {"LengthArrived", {200, 3000, 3000, false}, 0, true}, {"CutShort", {200, 4096, 17, true}, 0, false},
        {"LengthZero", {200, 0, 0, false}, 0, true}, {"LengthOfTheCap", {200, 65536, 65536, false}, 0, true},
        {"LengthOverTheCapIsNotRead", {200, 65537, 0, false}, 0, false}, {"NotFound", {404, 10, 0, false}, 0, false},
        {"PartialContent", {206, {}, 10, true}, 0, false},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(NextPageRead(r.transfer, 65536, 1024), r.nextRead) << r.name;
        EXPECT_EQ(PageCameWhole(r.transfer, 65536), r.whole) << r.name;
    }
    EXPECT_TRUE(PageHasUpdateMarker(L"<html>UPDATE=True</html>"));
    for (const wchar_t* page : {L"update=true", L"UPDATE=TRUE", L"UPDATE = True", L""})
        EXPECT_FALSE(PageHasUpdateMarker(page)) << testing::PrintToString(std::wstring(page));
}

// The site comes from the service profile; the pages and the customer id do not.
TEST(WebTest, PagesOfTheServiceSiteAndTheCustomerId)
{
    const std::wstring site = profile::kWebSite, account = L"http://site.example/managemyaccount.html";
    const std::pair<std::wstring, std::wstring> rows[] = {
        {UpdatePageUrl(), site + L"/corvane_new_update.html"}, {AccountPageUrl(), site + L"/managemyaccount.html"},
        {HelpPageUrl(), site + L"/internet_privacy_faq/corvane_faq.html"}, {SignUpPageUrl(), profile::kSignUpUrl},
        {IpAddressPageUrl(), site + L"/IP_address.html"}, {AccountPageUrlWithCustomer(account, L""), account},
        {AccountPageUrlWithCustomer(account, L"12345"), account + L"?c=12345"},
        {AccountPageUrlWithCustomer(account, L"a b&c=%s"), account + L"?c=a b&c=%s"},
    };
    for (const auto& [url, expected] : rows)
        EXPECT_EQ(url, expected);
}

}  // namespace
