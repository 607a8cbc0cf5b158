// When the start-up update question is due: at most once every 30 days.
#pragma once

#include <cstdint>
#include <string_view>

struct UpdateSchedule {
    bool firstStart;   // nothing stored yet: store the time now, ask nothing
    bool questionDue;  // 30 whole days or more since the last question
};

// storedLastAsk is the raw "LastUpdateAsk" value (low 32 bits of the seconds
// since 1970), read back as a signed 32-bit number; 0 means never asked. A time
// in the future gives a negative day count: not due until 30 days after it.
UpdateSchedule DecideUpdateQuestion(int64_t now, uint32_t storedLastAsk);

// The value stored for a time: its low 32 bits.
uint32_t LowTimeBits(int64_t now);

// The update page announces a new version with "UPDATE=True" (exact case).
bool PageHasUpdateMarker(std::wstring_view page);
