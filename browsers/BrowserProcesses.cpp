#include "browsers/BrowserProcesses.h"

#include "browsers/BrowserMatch.h"
#include "framework/Handles.h"

#include <windows.h>
#include <tlhelp32.h>

namespace {

// PROCESS_ALL_ACCESS as it was before Vista: accepted by every Windows version.
constexpr DWORD kBrowserProcessAccess = 0x1F0FFF;
constexpr UINT kTerminatedBrowserExitCode = 0;

// Calls visit(processId, browserBits) for every process of a fresh snapshot
// whose image name is a known browser. An unreadable list visits nothing.
template <class Visit>
void ForEachBrowserProcess(Visit visit)
{
    UniqueHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL found = ::Process32FirstW(snapshot.Get(), &entry); found;
         found = ::Process32NextW(snapshot.Get(), &entry)) {
        if (const uint32_t bits = BrowserBitsOfImageName(entry.szExeFile))
            visit(entry.th32ProcessID, bits);
    }
}

}  // namespace

uint32_t DetectBrowsers()
{
    uint32_t browsers = 0;
    ForEachBrowserProcess([&](DWORD, uint32_t bits) { browsers |= bits; });
    return browsers;
}

void CloseBrowsers()
{
    // A process that cannot be opened or ended (gone already, or not ours to
    // end) is skipped: the rest are closed all the same.
    ForEachBrowserProcess([](DWORD processId, uint32_t) {
        UniqueHandle process(::OpenProcess(kBrowserProcessAccess, FALSE, processId));
        if (process)
            ::TerminateProcess(process.Get(), kTerminatedBrowserExitCode);
    });
}
