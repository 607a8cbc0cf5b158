// driver.exe: the window driver for scripts (tools/run-corvane.sh). One action
// per run; results on stdout, failures on stderr with exit code 1, bad
// arguments exit 2.
//   wait TITLE [TIMEOUT_MS]   wait for a visible window; prints its process id
//   command TITLE ID          post a menu command to that window, shown or
//                             hidden (a program in the tray takes commands too)
//   screenshot PATH           save the screen as a 24-bit BMP
#include "WindowDriver.h"

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

constexpr int kFailed = 1;
constexpr int kBadArguments = 2;
constexpr driver::milliseconds kDefaultTimeout{10000};

// A whole non-negative decimal number, or -1.
long Number(const wchar_t* text)
{
    wchar_t* end = nullptr;
    const long value = std::wcstol(text, &end, 10);
    return end != text && *end == L'\0' && value >= 0 ? value : -1;
}

HWND Window(const std::wstring& title, driver::milliseconds timeout, bool visibleOnly)
{
    HWND window = driver::WaitForWindow(title, timeout, visibleOnly);
    if (!window)
        throw driver::DriverError("no window titled \"" + driver::ToUtf8(title) + "\"");
    return window;
}

// The action's exit code; kBadArguments for a form it does not know.
int Run(int argc, wchar_t** argv)
{
    const std::wstring verb = argc > 1 ? argv[1] : L"";
    if (verb == L"wait" && (argc == 3 || argc == 4)) {
        const long timeout = argc == 4 ? Number(argv[3]) : kDefaultTimeout.count();
        if (timeout < 0)
            return kBadArguments;
        std::printf("%lu\n", driver::ProcessIdOf(Window(argv[2], driver::milliseconds(timeout), true)));
        return 0;
    }
    if (verb == L"command" && argc == 4 && Number(argv[3]) >= 0) {
        driver::SendCommand(Window(argv[2], kDefaultTimeout, false), static_cast<int>(Number(argv[3])));
        return 0;
    }
    if (verb == L"screenshot" && argc == 3) {
        driver::SaveScreenshot(argv[2]);
        return 0;
    }
    return kBadArguments;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    try {
        const int result = Run(argc, argv);
        if (result == kBadArguments)
            std::fputs("usage: driver wait TITLE [TIMEOUT_MS] | command TITLE ID | screenshot PATH\n", stderr);
        return result;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "driver: %s\n", error.what());
        return kFailed;
    }
}
