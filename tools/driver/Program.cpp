#include "Program.h"

#include "Win32Error.h"

namespace driver {
namespace {

// How long Terminate waits for the process object to signal.
constexpr DWORD kTerminateWaitMs = 10000;

UniqueHandle CreateKillOnCloseJob()
{
    UniqueHandle job(CreateJobObjectW(nullptr, nullptr));
    if (!job)
        ThrowLastError("CreateJobObjectW");
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits))
        ThrowLastError("SetInformationJobObject");
    return job;
}

}  // namespace

Program::Program(const std::filesystem::path& exe, const std::wstring& arguments,
                 const std::filesystem::path& workingDirectory)
    : job_(CreateKillOnCloseJob())
{
    std::wstring commandLine = L"\"" + exe.wstring() + L"\"";
    if (!arguments.empty())
        commandLine += L" " + arguments;

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    // Suspended until it is in the job, so not even its first child escapes.
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                        nullptr, workingDirectory.empty() ? nullptr : workingDirectory.c_str(),
                        &startup, &info))
        ThrowLastError("cannot start " + ToUtf8(exe.wstring()));
    process_ = UniqueHandle(info.hProcess);
    const UniqueHandle thread(info.hThread);
    processId_ = info.dwProcessId;

    if (!AssignProcessToJobObject(job_.get(), process_.get())) {
        TerminateProcess(process_.get(), 1);
        ThrowLastError("AssignProcessToJobObject");
    }
    ResumeThread(thread.get());
}

Program& Program::operator=(Program&& other) noexcept
{
    if (this != &other) {
        Terminate();
        job_ = std::move(other.job_);
        process_ = std::move(other.process_);
        processId_ = std::exchange(other.processId_, 0);
    }
    return *this;
}

Program::~Program()
{
    Terminate();
}

bool Program::IsRunning() const
{
    return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> Program::WaitForExit(milliseconds timeout) const
{
    if (!process_ || WaitForSingleObject(process_.get(), static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD exitCode = 0;
    GetExitCodeProcess(process_.get(), &exitCode);
    return exitCode;
}

bool Program::WaitForInputIdle(milliseconds timeout) const
{
    return process_ && ::WaitForInputIdle(process_.get(), static_cast<DWORD>(timeout.count())) == 0;
}

void Program::Terminate(UINT exitCode)
{
    if (!IsRunning())
        return;
    TerminateProcess(process_.get(), exitCode);
    WaitForSingleObject(process_.get(), kTerminateWaitMs);
}

std::filesystem::path ExecutableDirectory()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            ThrowLastError("GetModuleFileNameW");
        if (length < path.size()) {
            path.resize(length);
            return std::filesystem::path(path).parent_path();
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace driver
