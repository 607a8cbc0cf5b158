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

// A job object that kills its processes when its last handle closes; none
// when the limit cannot be set, since a job without it protects nothing.
UniqueHandle CreateKillOnCloseJob()
{
    UniqueHandle job(::CreateJobObjectW(nullptr, nullptr));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job && !::SetInformationJobObject(job.Get(), JobObjectExtendedLimitInformation, &limits, sizeof(limits)))
        job.Reset();
    return job;
}

bool WriteInputFile(const std::wstring& path)
{
    CFile input;
    return input.Open(path, CFile::modeCreate | CFile::modeWrite) &&
           input.Write(kProcessInput.data(), static_cast<UINT>(kProcessInput.size()));
}

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

void CTunnelProcess::NameFiles(const std::wstring& folder)
{
    m_guid = MakeGuidString();
    m_inPath = ProcessFilePath(folder, m_guid, L"in");
    m_outPath = ProcessFilePath(folder, m_guid, L"out");
    m_errPath = ProcessFilePath(folder, m_guid, L"err");
}

CTunnelProcess::FileStep CTunnelProcess::OpenFiles(CFileException& error)
{
    FileStep failed = FileStep::Opened;
    if (!m_err.Open(m_errPath, CFile::modeCreate | CFile::modeWrite, &error))
        failed = FileStep::ErrorFile;
    else if (!m_out.Open(m_outPath, CFile::modeCreate | CFile::modeWrite, &error))
        failed = FileStep::OutputFile;
    else if (!WriteInputFile(m_inPath))
        failed = FileStep::InputFile;
    else if (!m_in.Open(m_inPath, CFile::modeRead, &error))
        failed = FileStep::InputOpen;
    if (failed != FileStep::Opened) {
        CloseFiles();
        return failed;
    }
    m_filesOpen = true;
    return FileStep::Opened;
}

void CTunnelProcess::CloseFiles()
{
    m_in.Close();
    m_out.Close();
    m_err.Close();
    m_filesOpen = false;
}

TunnelStart CTunnelProcess::Start(const std::wstring& program, const std::wstring& commandLine)
{
    InheritedHandles inherited({m_in.GetHandle(), m_out.GetHandle(), m_err.GetHandle()});
    if (!inherited.Ready())
        return TunnelStart::NotStarted;

    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof(startup);
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.StartupInfo.wShowWindow = SW_HIDE;
    startup.StartupInfo.hStdInput = m_in.GetHandle();
    startup.StartupInfo.hStdOutput = m_out.GetHandle();
    startup.StartupInfo.hStdError = m_err.GetHandle();
    startup.lpAttributeList = inherited.Get();
    // CreateProcessW may write into the command line, so it gets a copy.
    std::vector<wchar_t> command(commandLine.begin(), commandLine.end());
    command.push_back(L'\0');
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, TRUE,
                          CREATE_SUSPENDED | EXTENDED_STARTUPINFO_PRESENT, nullptr, nullptr, &startup.StartupInfo,
                          &process))
        return TunnelStart::NotStarted;
    m_process.Reset(process.hProcess);
    m_thread.Reset(process.hThread);
    m_processId = process.dwProcessId;

    m_job = CreateKillOnCloseJob();
    if (!m_job || !::AssignProcessToJobObject(m_job.Get(), m_process.Get())) {
        End();
        return TunnelStart::NotContained;
    }
    ::ResumeThread(m_thread.Get());
    return TunnelStart::Started;
}

bool CTunnelProcess::Alive() const
{
    DWORD exitCode = 0;
    return m_process && ::GetExitCodeProcess(m_process.Get(), &exitCode) && exitCode == STILL_ACTIVE;
}

void CTunnelProcess::End()
{
    if (m_process) {
        ::TerminateProcess(m_process.Get(), 0);
        ::WaitForSingleObject(m_process.Get(), kExitWaitMs);
    }
    m_process.Reset();
    m_thread.Reset();
    m_job.Reset();
    m_processId = 0;
    CloseFiles();
}
