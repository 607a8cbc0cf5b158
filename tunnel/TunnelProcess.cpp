#include "tunnel/TunnelProcess.h"

#include "tunnel/TunnelText.h"

#include <objbase.h>

#include <vector>

namespace {

constexpr DWORD kExitWaitMs = 2000;

// A process attribute list that names the handles a child may inherit.
class InheritedHandles {
public:
    explicit InheritedHandles(std::vector<HANDLE> handles) : m_handles(std::move(handles))
    {
        SIZE_T size = 0;
        ::InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        m_buffer.resize(size);
        auto* list = Get();
        m_ready = ::InitializeProcThreadAttributeList(list, 1, 0, &size) &&
                  ::UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, m_handles.data(),
                                              m_handles.size() * sizeof(HANDLE), nullptr, nullptr);
    }
    InheritedHandles(const InheritedHandles&) = delete;
    InheritedHandles& operator=(const InheritedHandles&) = delete;
    ~InheritedHandles()
    {
        if (!m_buffer.empty())
            ::DeleteProcThreadAttributeList(Get());
    }

    bool Ready() const { return m_ready; }
    LPPROC_THREAD_ATTRIBUTE_LIST Get() { return reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(m_buffer.data()); }

private:
    std::vector<HANDLE> m_handles;  // must outlive the list, which points at them
    std::vector<BYTE> m_buffer;
    bool m_ready = false;
};

}  // namespace

std::wstring MakeGuidString()
{
    GUID guid{};
    ::CoCreateGuid(&guid);
    return GuidText(guid.Data1, guid.Data2, guid.Data3, guid.Data4);
}

std::wstring TunnelProgramPath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    path.erase(path.find_last_of(L'\\') + 1);
    return path + L"plink.exe";
}

TunnelStart StartTunnelProcess(const std::wstring& program, const std::wstring& commandLine, HANDLE input,
                               HANDLE output, HANDLE error, HANDLE job, PROCESS_INFORMATION& process)
{
    process = {};
    InheritedHandles inherited({input, output, error});
    if (!inherited.Ready())
        return TunnelStart::NotStarted;

    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof(startup);
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.StartupInfo.wShowWindow = SW_HIDE;
    startup.StartupInfo.hStdInput = input;
    startup.StartupInfo.hStdOutput = output;
    startup.StartupInfo.hStdError = error;
    startup.lpAttributeList = inherited.Get();
    // CreateProcessW may write into the command line, so it gets a copy.
    std::vector<wchar_t> command(commandLine.begin(), commandLine.end());
    command.push_back(L'\0');
    if (!::CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, TRUE,
                          CREATE_SUSPENDED | EXTENDED_STARTUPINFO_PRESENT, nullptr, nullptr, &startup.StartupInfo,
                          &process)) {
        process = {};
        return TunnelStart::NotStarted;
    }
    if (!job || !::AssignProcessToJobObject(job, process.hProcess)) {
        EndTunnelProcess(process);
        return TunnelStart::NotContained;
    }
    ::ResumeThread(process.hThread);
    return TunnelStart::Started;
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
    if (!::SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof(limits))) {
        ::CloseHandle(job);
        return nullptr;
    }
    return job;
}
