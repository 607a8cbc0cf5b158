// Bounded waits on a condition in another process: the driver polls at a short
// interval until the condition holds or the time-out has passed.
#pragma once

#include <chrono>
#include <functional>

namespace driver {

using std::chrono::milliseconds;

inline constexpr milliseconds kPollInterval{15};

// True as soon as `condition` returns true; false if it still does not after `timeout`.
// The condition is always asked at least once, and once more at the deadline.
bool WaitUntil(const std::function<bool()>& condition, milliseconds timeout);

}  // namespace driver
