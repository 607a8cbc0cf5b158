// Soak: the real Corvane.exe driven from outside through many connects and
// disconnects and a run of server switches against the plink double, watching
// for what a leak would show: Corvane's handle count, GDI and USER objects
// (where Wine reports them), private bytes, process files left in %TEMP% and
// port 1234 after each disconnect. Prints one line per 10 cycles, then the
// "name<TAB>value<TAB>note" rows of the benchmark table.
//
//   soak_bench.exe [cycles [switches]]   (Corvane.exe and plink.exe, the double, beside it)
#include "WindowDriver.h"

#include <winsock2.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr wchar_t kName[] = L"CorvaneSoak";  // its settings live under a key of its own
constexpr wchar_t kMainTitle[] = L"Corvane v.3.00";
constexpr int kConnectButton = 1016;
constexpr int kLocationCommand = 32501;  // + location index: the tray's "Connect to"
constexpr int kEndDialogCommand = 32823;
constexpr auto kStepLimit = 20000ms;

struct Sample {
    DWORD handles = 0;
    DWORD gdi = 0;
    DWORD user = 0;
    size_t privateKb = 0;  // 0 where Wine does not report it
    size_t workingSetKb = 0;
};

// From the system's process list, which Wine fills from its server and from
// /proc (GetProcessHandleCount and the private bytes of GetProcessMemoryInfo
// stay 0 there for another process).
Sample Measure(HANDLE process)
{
    Sample sample;
    sample.gdi = ::GetGuiResources(process, GR_GDIOBJECTS);
    sample.user = ::GetGuiResources(process, GR_USEROBJECTS);
    std::vector<unsigned char> buffer(1 << 20);
    ULONG needed = 0;
    if (::NtQuerySystemInformation(SystemProcessInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
                                   &needed) != 0)
        return sample;
    const auto id = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(::GetProcessId(process)));
    for (size_t offset = 0;;) {
        const auto* entry = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(buffer.data() + offset);
        if (entry->UniqueProcessId == id) {
            sample.handles = entry->HandleCount;
            sample.privateKb = entry->PrivatePageCount / 1024;
            sample.workingSetKb = entry->VirtualMemoryCounters.WorkingSetSize / 1024;
            break;
        }
        if (entry->NextEntryOffset == 0)
            break;
        offset += entry->NextEntryOffset;
    }
    return sample;
}

// Zero means Wine does not count them.
std::string Reported(size_t count)
{
    return count ? std::to_string(count) : "n/a";
}

int ProcessFilesLeft()
{
    int count = 0;
    for (const auto& entry : fs::directory_iterator(fs::temp_directory_path())) {
        const std::wstring name = entry.path().filename().wstring();
        const std::wstring extension = entry.path().extension().wstring();
        if (name.starts_with(L"Process") && (extension == L".in" || extension == L".out" || extension == L".err")) {
            ++count;
            std::fprintf(stderr, "soak: left in %%TEMP%%: %ls\n", name.c_str());
        }
    }
    return count;
}

// Whether anything still accepts on 127.0.0.1:1234.
bool PortAnswers()
{
    SOCKET probe = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = ::htons(1234);
    address.sin_addr.s_addr = ::htonl(INADDR_LOOPBACK);
    const bool answered = ::connect(probe, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
    ::closesocket(probe);
    return answered;
}

size_t PlinkStarts(const fs::path& log)
{
    std::ifstream file(log);
    return static_cast<size_t>(std::count(std::istreambuf_iterator<char>(file), {}, '\n'));
}

double Milliseconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool WaitForCaption(HWND main, const std::wstring& caption)
{
    return driver::WaitUntil([&] { return driver::GetText(main, kConnectButton) == caption; }, kStepLimit);
}

// A private copy of Corvane.exe with the double beside it, removed afterwards
// with its settings.
class SoakInstall {
public:
    SoakInstall() : m_folder(fs::temp_directory_path() / (std::wstring(kName) + L"-" + std::to_wstring(::GetCurrentProcessId())))
    {
        const fs::path bin = driver::ExecutableDirectory();
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
        fs::copy_file(bin / L"Corvane.exe", Exe());
        fs::copy_file(bin / L"plink.exe", m_folder / L"plink.exe");
        // Switches without the confirmation; no browser runs, so no other warning.
        const DWORD off = 0;
        ::RegSetKeyValueW(HKEY_CURRENT_USER, ProfileKey().c_str(), L"EnableSwitchSrvrMessage", REG_DWORD, &off,
                          sizeof(off));
    }
    SoakInstall(const SoakInstall&) = delete;
    SoakInstall& operator=(const SoakInstall&) = delete;
    ~SoakInstall()
    {
        ::RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(L"Software\\Quenmoor\\") + kName).c_str());
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
    }

    fs::path Exe() const { return m_folder / (std::wstring(kName) + L".exe"); }
    fs::path PlinkLog() const { return m_folder / L"plink-double.log"; }

private:
    static std::wstring ProfileKey() { return std::wstring(L"Software\\Quenmoor\\") + kName + L"\\Corvane"; }
    fs::path m_folder;
};

int Soak(int cycles, int switches)
{
    SoakInstall install;
    driver::Program corvane(install.Exe(), {}, install.Exe().parent_path());
    const HWND main = driver::WaitForWindow(kMainTitle, kStepLimit, true, corvane.Id());
    if (!main) {
        std::fprintf(stderr, "soak: no main window\n");
        return 1;
    }
    driver::SetEditText(main, 1003, L"stay-soak");
    driver::SetEditText(main, 1004, L"secret");

    std::vector<double> cycleMs;
    std::vector<Sample> samples{Measure(corvane.Handle())};
    int filesLeft = 0, portBusy = 0;
    std::printf("cycles handles gdi user private_kb working_set_kb files_left port_busy cycle_ms_median cycle_ms_max\n");
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        const auto start = std::chrono::steady_clock::now();
        driver::Click(main, kConnectButton);
        if (!WaitForCaption(main, L"Disconnect")) {
            std::fprintf(stderr, "soak: cycle %d did not connect\n", cycle);
            return 1;
        }
        driver::Click(main, kConnectButton);
        if (!WaitForCaption(main, L"Connect")) {
            std::fprintf(stderr, "soak: cycle %d did not disconnect\n", cycle);
            return 1;
        }
        cycleMs.push_back(Milliseconds(start));
        filesLeft += ProcessFilesLeft();
        portBusy += PortAnswers() ? 1 : 0;
        if (cycle % 10 == 0) {
            const Sample sample = Measure(corvane.Handle());
            samples.push_back(sample);
            const std::vector<double> last(cycleMs.end() - 10, cycleMs.end());
            std::printf("%d %lu %s %s %s %zu %d %d %.0f %.0f\n", cycle, sample.handles, Reported(sample.gdi).c_str(),
                        Reported(sample.user).c_str(), Reported(sample.privateKb).c_str(), sample.workingSetKb,
                        filesLeft, portBusy, Median(last), *std::max_element(last.begin(), last.end()));
        }
    }

    // Switches between the rotating United States and Canada, each a stop
    // and a launch of its own.
    std::vector<double> switchMs;
    driver::Click(main, kConnectButton);
    if (!WaitForCaption(main, L"Disconnect"))
        return 1;
    for (int i = 0; i < switches; ++i) {
        const size_t before = PlinkStarts(install.PlinkLog());
        const auto start = std::chrono::steady_clock::now();
        driver::SendCommand(main, kLocationCommand + i % 2);
        if (!driver::WaitUntil([&] { return PlinkStarts(install.PlinkLog()) > before; }, kStepLimit) ||
            !WaitForCaption(main, L"Disconnect")) {
            std::fprintf(stderr, "soak: switch %d did not connect again\n", i + 1);
            return 1;
        }
        switchMs.push_back(Milliseconds(start));
    }
    driver::Click(main, kConnectButton);
    if (!WaitForCaption(main, L"Connect"))
        return 1;
    filesLeft += ProcessFilesLeft();
    portBusy += PortAnswers() ? 1 : 0;
    const Sample afterSwitches = Measure(corvane.Handle());
    std::printf("after %d switches: handles %lu gdi %s user %s private_kb %s working_set_kb %zu files_left %d port_busy %d\n",
                switches, afterSwitches.handles, Reported(afterSwitches.gdi).c_str(),
                Reported(afterSwitches.user).c_str(), Reported(afterSwitches.privateKb).c_str(),
                afterSwitches.workingSetKb, filesLeft, portBusy);

    driver::SendCommand(main, kEndDialogCommand);
    corvane.WaitForExit(kStepLimit);

    // The first sample after 10 cycles is the baseline: start-up allocations are over by then.
    const Sample& first = samples.size() > 1 ? samples[1] : samples[0];
    std::printf("soak_handles\t%lu->%lu\tCorvane's handle count after 10 cycles and after %d cycles + %d switches\n",
                first.handles, afterSwitches.handles, cycles, switches);
    std::printf("soak_gdi_user\t%s/%s->%s/%s\tGDI/USER objects, same points\n", Reported(first.gdi).c_str(),
                Reported(first.user).c_str(), Reported(afterSwitches.gdi).c_str(), Reported(afterSwitches.user).c_str());
    std::printf("soak_private_kb\t%s->%s\tprivate bytes in KiB, same points\n", Reported(first.privateKb).c_str(),
                Reported(afterSwitches.privateKb).c_str());
    std::printf("soak_working_set_kb\t%zu->%zu\tworking set in KiB, same points\n", first.workingSetKb,
                afterSwitches.workingSetKb);
    std::printf("soak_files_left\t%d\tprocess files found in %%TEMP%% after the %d disconnects\n", filesLeft,
                cycles + 1);
    std::printf("soak_port_busy\t%d\tdisconnects after which port 1234 still answered\n", portBusy);
    std::printf("soak_cycle_ms\t%.0f\tmedian connect + disconnect, max %.0f\n", Median(cycleMs),
                cycleMs.empty() ? 0.0 : *std::max_element(cycleMs.begin(), cycleMs.end()));
    std::printf("soak_switch_ms\t%.0f\tmedian switch until the new tunnel runs\n", Median(switchMs));
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const int cycles = argc > 1 ? std::max(1, _wtoi(argv[1])) : 100;
    const int switches = argc > 2 ? std::max(0, _wtoi(argv[2])) : 20;
    WSADATA winsock;
    ::WSAStartup(MAKEWORD(2, 2), &winsock);
    int result = 1;
    try {
        result = Soak(cycles, switches);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "soak: %s\n", error.what());
    }
    ::WSACleanup();
    return result;
}
