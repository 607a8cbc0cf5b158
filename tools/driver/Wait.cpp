#include "Wait.h"

#include <windows.h>

#include <algorithm>

namespace driver {

bool WaitUntil(const std::function<bool()>& condition, milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (condition())
            return true;
        const auto left = std::chrono::duration_cast<milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left <= milliseconds::zero())
            return condition();
        Sleep(static_cast<DWORD>(std::min(left, kPollInterval).count()));
    }
}

}  // namespace driver
