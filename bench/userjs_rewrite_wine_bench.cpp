// The user.js rewrite as the product does it on disk (buffered reads through
// the rewriter into user.tmp, then the replacing move), next to CopyFileW of
// the same file in the same run. Prints MB/s (MB = 2^20 bytes), the median of
// several samples, by the wall clock and by the process's CPU time (user plus
// kernel), which stays meaningful on a busy machine. Run it under Wine:
// wine userjs_bench_win.exe
#include "proxy/FirefoxPrefs.h"
#include "proxy/UserJsFile.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr size_t kMegabyte = 1 << 20;

// Preference lines as a long-used profile has them, with an owned line now and then.
std::string MakeUserJs(size_t size)
{
    std::string text;
    text.reserve(size + 256);
    for (unsigned line = 0; text.size() < size; ++line) {
        if (line % 200 == 0)
            text += "user_pref(\"network.proxy.type\", 1);\r\n";
        else
            text += "user_pref(\"browser.some.preference." + std::to_string(line) + "\", \"value " +
                    std::to_string(line * 7) + "\");\r\n";
    }
    text.resize(size - 2);
    text += "\r\n";
    return text;
}

struct Rates {
    double wall;
    double cpu;
};

double WallSeconds()
{
    LARGE_INTEGER frequency, now;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double CpuSeconds()
{
    FILETIME created, exited, kernel, user;
    ::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto ticks = [](const FILETIME& time) {
        return static_cast<double>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
    };
    return (ticks(kernel) + ticks(user)) / 1e7;
}

// Each sample runs the work `repeats` times, so that even a small file gives
// a span the CPU clock can resolve.
Rates MedianRates(size_t bytes, int repeats, int samples, const std::function<void()>& work)
{
    work();  // warm the file cache
    std::vector<double> wall, cpu;
    for (int sample = 0; sample < samples; ++sample) {
        const double wallStart = WallSeconds();
        const double cpuStart = CpuSeconds();
        for (int repeat = 0; repeat < repeats; ++repeat)
            work();
        const double megabytes = static_cast<double>(bytes) * repeats / kMegabyte;
        wall.push_back(megabytes / (WallSeconds() - wallStart));
        cpu.push_back(megabytes / std::max(CpuSeconds() - cpuStart, 1e-3));
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    return {wall[wall.size() / 2], cpu[cpu.size() / 2]};
}

}  // namespace

int main()
{
    const fs::path folder = fs::temp_directory_path() / ("userjs-bench-" + std::to_string(::GetCurrentProcessId()));
    fs::create_directories(folder);
    const std::wstring userJs = (folder / L"user.js").wstring();
    const std::wstring userTmp = (folder / L"user.tmp").wstring();
    const std::wstring copy = (folder / L"copy.js").wstring();

    int status = 0;
    for (const auto& [megabytes, repeats] : {std::pair{1, 32}, std::pair{50, 1}}) {
        {
            std::ofstream file(folder / L"user.js", std::ios::binary | std::ios::trunc);
            const std::string text = MakeUserJs(megabytes * kMegabyte);
            file.write(text.data(), static_cast<std::streamsize>(text.size()));
        }
        const size_t bytes = fs::file_size(folder / L"user.js");
        bool enable = false;
        bool rewritten = true;
        const Rates rewrite = MedianRates(bytes, repeats, 5, [&] {
            enable = !enable;
            rewritten = RewriteUserJsFile(userJs, userTmp, enable ? TunnelPrefLines() : RestoredPrefLines(nullptr, {})) && rewritten;
        });
        const Rates copied = MedianRates(bytes, repeats, 5, [&] { ::CopyFileW(userJs.c_str(), copy.c_str(), FALSE); });
        if (!rewritten)
            status = 1;
        for (const auto& [clock, rewriteRate, copyRate] :
             {std::tuple{"wall", rewrite.wall, copied.wall}, std::tuple{"cpu", rewrite.cpu, copied.cpu}})
            std::printf("userjs.wine_%dmb_rewrite_%s_mbps\t%.1f\ton disk under Wine; CopyFileW %.1f MB/s, "
                        "copy/rewrite %.2fx%s\n",
                        megabytes, clock, rewriteRate, copyRate, copyRate / rewriteRate,
                        rewritten ? "" : " (REWRITE FAILED)");
    }
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    return status;
}
