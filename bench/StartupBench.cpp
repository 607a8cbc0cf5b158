// Start-up time: from process start to the main window being visible, for
// Corvane.exe and for a minimal dialog program built the same way, runs
// alternating in the same session. Prints the medians and their ratio, and
// two costs of Wine's that Windows does not have, each measured in a fresh
// process: loading the system DLLs Corvane.exe imports beyond the minimal
// dialog's (Windows keeps them mapped), and one query of the connection
// options, as the start-up reset makes (Wine looks for a proxy configuration
// script on the network at every such query).
//
//   startup_bench.exe [runs]   (Corvane.exe and minimal_dialog.exe lie beside it)
//   startup_bench.exe --wine-costs OUTPUT DLL...   (one fresh-process measurement)
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <cstdio>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
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

double NowMs()
{
    LARGE_INTEGER frequency, now;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The DLL names in an executable's import table, upper case; none when the
// file is not a 64-bit image.
std::set<std::wstring> ImportedDlls(const fs::path& exe)
{
    std::ifstream file(exe, std::ios::binary);
    const std::vector<char> image((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const auto at = [&image](size_t offset, size_t size) {
        return offset <= image.size() && size <= image.size() - offset ? image.data() + offset : nullptr;
    };
    std::set<std::wstring> names;
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(at(0, sizeof(IMAGE_DOS_HEADER)));
    const auto* nt = dos ? reinterpret_cast<const IMAGE_NT_HEADERS64*>(at(dos->e_lfanew, sizeof(IMAGE_NT_HEADERS64))) : nullptr;
    if (!nt || nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC)
        return names;
    const auto* sections = reinterpret_cast<const IMAGE_SECTION_HEADER*>(
        at(dos->e_lfanew + offsetof(IMAGE_NT_HEADERS64, OptionalHeader) + nt->FileHeader.SizeOfOptionalHeader,
           nt->FileHeader.NumberOfSections * sizeof(IMAGE_SECTION_HEADER)));
    const auto fileOffset = [&](DWORD rva) -> size_t {
        for (WORD i = 0; sections && i < nt->FileHeader.NumberOfSections; ++i) {
            const IMAGE_SECTION_HEADER& section = sections[i];
            if (rva >= section.VirtualAddress && rva < section.VirtualAddress + section.SizeOfRawData)
                return rva - section.VirtualAddress + section.PointerToRawData;
        }
        return image.size();
    };
    size_t offset = fileOffset(nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
    while (const auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(at(offset, sizeof(IMAGE_IMPORT_DESCRIPTOR)))) {
        if (entry->Name == 0)
            break;
        const size_t name = fileOffset(entry->Name);
        std::wstring dll;
        for (size_t i = name; i < image.size() && image[i] != '\0'; ++i)
            dll.push_back(static_cast<wchar_t>(std::towupper(static_cast<unsigned char>(image[i]))));
        names.insert(dll);
        offset += sizeof(IMAGE_IMPORT_DESCRIPTOR);
    }
    return names;
}

// In a fresh process: the DLLs loaded, then one query of the LAN's connection
// flags; writes both times to `output`.
int MeasureWineCosts(const fs::path& output, const std::vector<std::wstring>& dlls)
{
    const double start = NowMs();
    for (const std::wstring& dll : dlls)
        ::LoadLibraryW(dll.c_str());
    const double loaded = NowMs();
    const auto query = reinterpret_cast<decltype(&::InternetQueryOptionW)>(
        reinterpret_cast<void (*)()>(::GetProcAddress(::LoadLibraryW(L"wininet.dll"), "InternetQueryOptionW")));
    INTERNET_PER_CONN_OPTIONW option{};
    option.dwOption = INTERNET_PER_CONN_FLAGS;
    INTERNET_PER_CONN_OPTION_LISTW list{sizeof(list), nullptr, 1, 0, &option};
    DWORD size = sizeof(list);
    if (!query || !query(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, &size))
        return 1;
    const double queried = NowMs();
    std::ofstream(output) << (loaded - start) << ' ' << (queried - loaded) << '\n';
    return 0;
}

// Runs the measurement in a fresh process; false when it failed.
bool RunWineCosts(const fs::path& output, const std::vector<std::wstring>& dlls, double& loadMs, double& queryMs)
{
    std::wstring command = L"\"" + (BinFolder() / L"startup_bench.exe").wstring() + L"\" --wine-costs \"" +
                           output.wstring() + L"\"";
    for (const std::wstring& dll : dlls)
        command += L" " + dll;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    const bool ended = ::WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0;
    if (!ended)
        ::TerminateProcess(process.hProcess, 1);
    DWORD code = 1;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    std::ifstream figures(output);
    return ended && code == 0 && (figures >> loadMs >> queryMs);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc > 2 && std::wstring(argv[1]) == L"--wine-costs")
        return MeasureWineCosts(argv[2], std::vector<std::wstring>(argv + 3, argv + argc));
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

    std::vector<std::wstring> extraDlls;
    const std::set<std::wstring> yardstickDlls = ImportedDlls(bin / L"minimal_dialog.exe");
    for (const std::wstring& dll : ImportedDlls(bin / L"Corvane.exe"))
        if (!yardstickDlls.count(dll))
            extraDlls.push_back(dll);
    std::vector<double> loadTimes, queryTimes;
    for (int i = 0; i < runs; ++i) {
        double loadMs = 0, queryMs = 0;
        if (RunWineCosts(folder / L"wine-costs.txt", extraDlls, loadMs, queryMs)) {
            loadTimes.push_back(loadMs);
            queryTimes.push_back(queryMs);
        }
    }
    fs::remove_all(folder);

    const double c = Median(corvaneTimes), m = Median(minimalTimes);
    std::printf("startup.corvane_ms\t%.1f\tstart to visible main window, median of %d\n", c, runs);
    std::printf("startup.minimal_dialog_ms\t%.1f\tminimal dialog program built the same way, median of %d\n", m, runs);
    std::printf("startup.ratio\t%.2f\tgoal <= 1.2; median of %d runs each\n", m > 0 ? c / m : -1.0, runs);
    const double load = Median(loadTimes), query = Median(queryTimes);
    std::printf("startup.wine_dll_loads_ms\t%.1f\tthe %zu system DLLs Corvane.exe imports beyond the minimal dialog's, "
                "in a fresh process (Windows keeps them mapped); median of %zu\n",
                load, extraDlls.size(), loadTimes.size());
    std::printf("startup.wine_proxy_query_ms\t%.1f\tone query of the connection options, as the start-up reset makes "
                "(Wine looks for a proxy script on the network at each); median of %zu\n",
                query, queryTimes.size());
    std::printf("startup.ratio_less_wine_costs\t%.2f\tstart-up less those two, to the minimal dialog\n",
                m > 0 && !loadTimes.empty() ? (c - load - query) / m : -1.0);
    std::printf("exe.corvane_bytes\t%llu\tgoal < 1 MB\n",
                static_cast<unsigned long long>(fs::file_size(bin / L"Corvane.exe")));
    return 0;
}
