#include "web/UpdateSchedule.h"

namespace {

constexpr int64_t kSecondsPerDay = 86400;
constexpr int64_t kDaysBetweenQuestions = 30;

}  // namespace

UpdateSchedule DecideUpdateQuestion(int64_t now, uint32_t storedLastAsk)
{
    const int64_t last = static_cast<int32_t>(storedLastAsk);
    if (last == 0)
        return {true, false};
    const int64_t days = (now - last) / kSecondsPerDay;
    return {false, days >= kDaysBetweenQuestions};
}

uint32_t LowTimeBits(int64_t now)
{
    return static_cast<uint32_t>(now);
}

bool PageHasUpdateMarker(std::wstring_view page)
{
    return page.find(L"UPDATE=True") != std::wstring_view::npos;
}
