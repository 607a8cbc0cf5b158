#include "web/PageDownload.h"
#include "web/UpdateSchedule.h"
#include "web/WebAddresses.h"

#include <cstdint>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "ServiceProfile.h"

namespace {

constexpr int64_t kDay = 86400;
constexpr int64_t kNow = 1700000000;  // 2023-11-14

struct ScheduleCase {
    const char* name;
    int64_t now;
    uint32_t stored;
    bool firstStart;
    bool due;
};

void PrintTo(const ScheduleCase& c, std::ostream* os)
{
    *os << c.name;
}

class UpdateScheduleTest : public ::testing::TestWithParam<ScheduleCase> {};

TEST_P(UpdateScheduleTest, AsksAtMostEveryThirtyDays)
{
    const UpdateSchedule schedule = DecideUpdateQuestion(GetParam().now, GetParam().stored);
    EXPECT_EQ(schedule.firstStart, GetParam().firstStart);
    EXPECT_EQ(schedule.questionDue, GetParam().due);
}

uint32_t Stored(int64_t time)
{
    return LowTimeBits(time);
}

INSTANTIATE_TEST_SUITE_P(
    Times, UpdateScheduleTest,
    ::testing::Values(
        ScheduleCase{"NeverAsked", kNow, 0, true, false},
        ScheduleCase{"JustAsked", kNow, Stored(kNow), false, false},
        ScheduleCase{"OneMinuteShortOf30Days", kNow, Stored(kNow - 29 * kDay - 23 * 3600 - 59 * 60), false, false},
        ScheduleCase{"OneSecondShortOf30Days", kNow, Stored(kNow - 30 * kDay + 1), false, false},
        ScheduleCase{"Exactly30Days", kNow, Stored(kNow - 30 * kDay), false, true},
        ScheduleCase{"AYearAgo", kNow, Stored(kNow - 365 * kDay), false, true},
        ScheduleCase{"InTheFuture", kNow, Stored(kNow + 10 * kDay), false, false},
        ScheduleCase{"FarInTheFuture", kNow, Stored(kNow + 400 * kDay), false, false},
        ScheduleCase{"FutureTimeReached30DaysLater", kNow + 10 * kDay + 30 * kDay, Stored(kNow + 10 * kDay), false,
                     true},
        ScheduleCase{"FutureTimeNotYet30DaysLater", kNow + 10 * kDay + 29 * kDay, Stored(kNow + 10 * kDay), false,
                     false},
        // A stored value with the top bit set reads as a time before 1970.
        ScheduleCase{"NegativeStoredValue", kNow, 0x80000000u, false, true},
        ScheduleCase{"MinusOneSecond", kNow, 0xFFFFFFFFu, false, true},
        // From January 2038 the low 32 bits of the time read back as a date in
        // 1901, so the question is due at every start; a value stored before
        // the wrap still counts the days right.
        ScheduleCase{"WrappedStoreJustAsked", int64_t{0x80000010}, Stored(int64_t{0x80000010}), false, true},
        ScheduleCase{"StoredJustBeforeTheWrap", int64_t{0x80000010}, Stored(int64_t{0x7FFFFFF0}), false, false}),
    [](const ::testing::TestParamInfo<ScheduleCase>& info) { return std::string(info.param.name); });

TEST(LowTimeBitsTest, StoresTheLow32BitsOfTheTime)
{
    EXPECT_EQ(LowTimeBits(kNow), 1700000000u);
    EXPECT_EQ(LowTimeBits(int64_t{0x1'2345'6789}), 0x2345'6789u);
    EXPECT_EQ(LowTimeBits(-1), 0xFFFFFFFFu);
}

TEST(UpdateMarkerTest, IsAnExactCaseSensitiveSubstring)
{
    EXPECT_TRUE(PageHasUpdateMarker(L"<html>UPDATE=True</html>"));
    EXPECT_TRUE(PageHasUpdateMarker(L"UPDATE=True"));
    EXPECT_FALSE(PageHasUpdateMarker(L"update=true"));
    EXPECT_FALSE(PageHasUpdateMarker(L"UPDATE=TRUE"));
    EXPECT_FALSE(PageHasUpdateMarker(L"UPDATE = True"));
    EXPECT_FALSE(PageHasUpdateMarker(L""));
}

struct TransferCase {
    const char* name;
    PageTransfer transfer;
    size_t nextRead;  // with a 64 KiB cap and 1024-byte reads
    bool whole;
};

void PrintTo(const TransferCase& c, std::ostream* os)
{
    *os << c.name;
}

class PageTransferTest : public ::testing::TestWithParam<TransferCase> {};

TEST_P(PageTransferTest, ReadsOnUntilThePageIsWholeOrOverTheBounds)
{
    EXPECT_EQ(NextPageRead(GetParam().transfer, 65536, 1024), GetParam().nextRead);
    EXPECT_EQ(PageCameWhole(GetParam().transfer, 65536), GetParam().whole);
}

INSTANTIATE_TEST_SUITE_P(
    Transfers, PageTransferTest,
    ::testing::Values(
        TransferCase{"NothingReadYet", {.status = 200}, 1024, false},
        TransferCase{"NoLengthReadingOn", {.status = 200, .received = 500}, 1024, false},
        TransferCase{"NoLengthEnded", {.status = 200, .received = 500, .ended = true}, 0, true},
        TransferCase{"NoLengthNearTheCapAsksOnePastIt", {.status = 200, .received = 65000}, 537, false},
        TransferCase{"NoLengthAtTheCapLooksForTheEnd", {.status = 200, .received = 65536}, 1, false},
        TransferCase{"NoLengthEndedAtTheCap", {.status = 200, .received = 65536, .ended = true}, 0, true},
        TransferCase{"NoLengthOverTheCap", {.status = 200, .received = 65537}, 0, false},
        TransferCase{"LengthPartway", {.status = 200, .declaredLength = 3000, .received = 2500}, 500, false},
        // Whole without waiting for the server to close.
        TransferCase{"LengthArrived", {.status = 200, .declaredLength = 3000, .received = 3000}, 0, true},
        TransferCase{"CutShortOfTheLength", {.status = 200, .declaredLength = 4096, .received = 17, .ended = true}, 0,
                     false},
        TransferCase{"EmptyWithLengthZero", {.status = 200, .declaredLength = 0}, 0, true},
        TransferCase{"LengthOfTheCap", {.status = 200, .declaredLength = 65536, .received = 65536}, 0, true},
        TransferCase{"LengthOverTheCapIsNotRead", {.status = 200, .declaredLength = 65537}, 0, false},
        TransferCase{"NotFound", {.status = 404, .declaredLength = 10}, 0, false},
        TransferCase{"NotFoundEvenWhenWhole", {.status = 404, .declaredLength = 10, .received = 10}, 0, false},
        TransferCase{"PartialContent", {.status = 206, .received = 10, .ended = true}, 0, false}),
    [](const ::testing::TestParamInfo<TransferCase>& info) { return std::string(info.param.name); });

TEST(WebAddressesTest, PagesOfTheServiceSite)
{
    const std::wstring site = profile::kWebSite;
    EXPECT_EQ(UpdatePageUrl(), site + L"/corvane_new_update.html");
    EXPECT_EQ(AccountPageUrl(), site + L"/managemyaccount.html");
    EXPECT_EQ(HelpPageUrl(), site + L"/internet_privacy_faq/corvane_faq.html");
    EXPECT_EQ(IpAddressPageUrl(), site + L"/IP_address.html");
    EXPECT_EQ(SignUpPageUrl(), profile::kSignUpUrl);
    EXPECT_TRUE(UpdatePageUrl().starts_with(L"http://"));
}

TEST(WebAddressesTest, CustomerIdIsAppendedUnescapedOnlyWhenPresent)
{
    const std::wstring account = L"http://site.example/managemyaccount.html";
    EXPECT_EQ(AccountPageUrlWithCustomer(account, L"12345"), account + L"?c=12345");
    EXPECT_EQ(AccountPageUrlWithCustomer(account, L""), account);
    EXPECT_EQ(AccountPageUrlWithCustomer(account, L"a b&c=%s"), account + L"?c=a b&c=%s");
}

}  // namespace
