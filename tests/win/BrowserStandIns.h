// Stand-ins for browsers: copies of the project's sleeper program started
// under browser names, ended (and waited for) whatever the test did.
#pragma once

#include "TestSupport.h"

inline constexpr DWORD kProcessEndTimeoutMs = 5000;

class SleeperProcess {
public:
    explicit SleeperProcess(const std::filesystem::path& exe)
    {
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        ::CreateProcessW(exe.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info);
        ::CloseHandle(info.hThread);  // both stay null when the start failed
        m_process.Reset(info.hProcess);
    }
    ~SleeperProcess()
    {
        if (IsRunning() && ::TerminateProcess(m_process.Get(), 1))
            EndsWithin(kProcessEndTimeoutMs);
    }

    bool IsRunning() const { return ::WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT; }
    bool EndsWithin(DWORD timeoutMs) const { return ProcessEndsWithin(m_process.Get(), timeoutMs); }

private:
    UniqueHandle m_process;
};

// Sleeper copies under the names a test asks for, in a folder of their own.
// The processes end before the folder is removed.
class BrowserStandIns {
public:
    SleeperProcess& Start(const std::wstring& imageName)
    {
        const std::filesystem::path exe = m_folder.Path() / imageName;
        std::filesystem::copy_file(TestProgramFolder() / L"sleeper.exe", exe, std::filesystem::copy_options::skip_existing);
        return *m_processes.emplace_back(std::make_unique<SleeperProcess>(exe));
    }

private:
    TempFolder m_folder;
    std::vector<std::unique_ptr<SleeperProcess>> m_processes;
};
