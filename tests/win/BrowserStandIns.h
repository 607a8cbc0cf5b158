// Stand-ins for browsers: copies of the project's sleeper program started
// under browser names, ended (and waited for) whatever the test did.
#pragma once

#include "TestSupport.h"

#include "framework/Handles.h"

#include <filesystem>
#include <memory>
#include <vector>

inline constexpr DWORD kProcessEndTimeoutMs = 5000;

class SleeperProcess {
public:
    explicit SleeperProcess(const std::filesystem::path& exe)
    {
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        if (::CreateProcessW(exe.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
            ::CloseHandle(info.hThread);
            m_process.Reset(info.hProcess);
        }
    }
    ~SleeperProcess()
    {
        if (m_process && IsRunning() && ::TerminateProcess(m_process.Get(), 1))
            ::WaitForSingleObject(m_process.Get(), kProcessEndTimeoutMs);
    }

    bool Started() const { return static_cast<bool>(m_process); }
    bool IsRunning() const { return ::WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT; }
    bool EndsWithin(DWORD timeoutMs) const { return ProcessEndsWithin(m_process.Get(), timeoutMs); }
    DWORD ExitCode() const
    {
        DWORD code = 0;
        ::GetExitCodeProcess(m_process.Get(), &code);
        return code;
    }

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
        if (!std::filesystem::exists(exe))
            std::filesystem::copy_file(TestProgramFolder() / L"sleeper.exe", exe);
        return *m_processes.emplace_back(std::make_unique<SleeperProcess>(exe));
    }

private:
    TempFolder m_folder;
    std::vector<std::unique_ptr<SleeperProcess>> m_processes;
};
