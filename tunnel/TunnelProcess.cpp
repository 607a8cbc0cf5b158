#include "tunnel/TunnelProcess.h"

#include "tunnel/TunnelText.h"

#include <objbase.h>

#include <vector>

namespace {
constexpr DWORD kExitWaitMs = 2000;
}

std::wstring MakeGuidString()
{
    GUID guid{};
    ::CoCreateGuid(&guid);
    return GuidText(guid.Data1, guid.Data2, guid.Data3, guid.Data4);
}

bool StartTunnelProcess(const std::wstring& commandLine, HANDLE input, HANDLE output, HANDLE error, HANDLE job,
                        PROCESS_INFORMATION& process)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    startup.hStdInput = input;
    startup.hStdOutput = output;
    startup.hStdError = error;
    // CreateProcessW may write into the command line, so it gets a copy.
    std::vector<wchar_t> command(commandLine.begin(), commandLine.end());
    command.push_back(L'\0');
    process = {};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
        return false;
    if (job)
        ::AssignProcessToJobObject(job, process.hProcess);
    return true;
}

void EndTunnelProcess(PROCESS_INFORMATION& process)
{
    if (process.hProcess) {
        ::TerminateProcess(process.hProcess, 0);
        ::WaitForSingleObject(process.hProcess, kExitWaitMs);
        ::CloseHandle(process.hProcess);
    }
    if (process.hThread)
        ::CloseHandle(process.hThread);
    process = {};
}

HANDLE CreateKillOnCloseJob()
{
    HANDLE job = ::CreateJobObjectW(nullptr, nullptr);
    if (!job)
        return nullptr;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    ::SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof(limits));
    return job;
}
