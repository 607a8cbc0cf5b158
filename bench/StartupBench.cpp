// Start-up time: from process start to the main window being visible, for
// Corvane.exe and for a minimal dialog program built the same way, runs
// alternating in the same session. Prints the medians and their ratio.
//
//   startup_bench.exe [runs]   (Corvane.exe and minimal_dialog.exe lie beside it)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

fs::path BinFolder()
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return fs::path(path).parent_path();
}

struct Target {
    fs::path exe;
    std::wstring title;
    UINT endCommand;  // 0: end with WM_CLOSE
};

// Milliseconds until a visible window with the title belongs to the process;
// a negative value when it never came.
double TimeToVisibleWindow(const Target& target)
{
    std::wstring command = L"\"" + target.exe.wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    LARGE_INTEGER frequency, start, now;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          target.exe.parent_path().c_str(), &startup, &process))
        return -1;
    double elapsed = -1;
    HWND window = nullptr;
    for (;;) {
        window = ::FindWindowW(nullptr, target.title.c_str());
        DWORD owner = 0;
        if (window)
            ::GetWindowThreadProcessId(window, &owner);
        ::QueryPerformanceCounter(&now);
        const double ms = 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
        if (window && owner == process.dwProcessId && ::IsWindowVisible(window)) {
            elapsed = ms;
            break;
        }
        if (ms > 30000 || ::WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0)
            break;
    }
    if (window) {
        if (target.endCommand)
            ::PostMessageW(window, WM_COMMAND, target.endCommand, 0);
        else
            ::PostMessageW(window, WM_CLOSE, 0, 0);
    }
    if (::WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0)
        ::TerminateProcess(process.hProcess, 1);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return elapsed;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const int runs = argc > 1 ? std::max(3, _wtoi(argv[1])) : 15;
    const fs::path bin = BinFolder();
    // Corvane runs under a name of its own, so its settings stay apart.
    const fs::path folder = fs::temp_directory_path() / L"corvane-startup-bench";
    fs::create_directories(folder);
    fs::copy_file(bin / L"Corvane.exe", folder / L"CorvaneBench.exe", fs::copy_options::overwrite_existing);
    const Target corvane{folder / L"CorvaneBench.exe", L"Corvane v.3.00", 32823};
    const Target minimal{bin / L"minimal_dialog.exe", L"Minimal Dialog", 0};

    TimeToVisibleWindow(corvane);  // the first start stores its settings
    TimeToVisibleWindow(minimal);
    std::vector<double> corvaneTimes, minimalTimes;
    for (int i = 0; i < runs; ++i) {
        corvaneTimes.push_back(TimeToVisibleWindow(corvane));
        minimalTimes.push_back(TimeToVisibleWindow(minimal));
    }
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quenmoor\\CorvaneBench");
    fs::remove_all(folder);

    const double c = Median(corvaneTimes), m = Median(minimalTimes);
    std::printf("startup.corvane_ms\t%.1f\tstart to visible main window, median of %d\n", c, runs);
    std::printf("startup.minimal_dialog_ms\t%.1f\tminimal dialog program built the same way, median of %d\n", m, runs);
    std::printf("startup.ratio\t%.2f\tgoal <= 1.2; median of %d runs each\n", m > 0 ? c / m : -1.0, runs);
    std::printf("exe.corvane_bytes\t%llu\tgoal < 1 MB\n",
                static_cast<unsigned long long>(fs::file_size(bin / L"Corvane.exe")));
    return 0;
}
