#include "DirectPlink.h"

#include "tunnel/HostKey.h"
#include "tunnel/TunnelText.h"

#include <vector>

namespace {

constexpr DWORD kExitWaitMs = 5000;

HANDLE OpenInheritable(const std::filesystem::path& path, DWORD access, DWORD disposition)
{
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    return ::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

DirectPlink::DirectPlink(std::wstring commandLine, const std::wstring& host, const std::filesystem::path& folder)
    : m_commandLine(std::move(commandLine))
{
    SeedHostKey(host);
    const std::filesystem::path input = folder / L"direct.in";
    {
        UniqueHandle writer(OpenInheritable(input, GENERIC_WRITE, CREATE_ALWAYS));
        DWORD written = 0;
        ::WriteFile(writer.Get(), kProcessInput.data(), static_cast<DWORD>(kProcessInput.size()), &written, nullptr);
    }
    m_input.Reset(OpenInheritable(input, GENERIC_READ, OPEN_EXISTING));
    m_output.Reset(OpenInheritable(folder / L"direct.out", GENERIC_WRITE, CREATE_ALWAYS));
    m_error.Reset(OpenInheritable(folder / L"direct.err", GENERIC_WRITE, CREATE_ALWAYS));
}

DirectPlink::~DirectPlink()
{
    Stop();
}

bool DirectPlink::Start()
{
    if (!m_input || !m_output || !m_error)
        return false;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    startup.hStdInput = m_input.Get();
    startup.hStdOutput = m_output.Get();
    startup.hStdError = m_error.Get();
    std::vector<wchar_t> command(m_commandLine.begin(), m_commandLine.end());
    command.push_back(L'\0');
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
        return false;
    ::CloseHandle(process.hThread);
    m_process.Reset(process.hProcess);
    return true;
}

bool DirectPlink::Stop()
{
    if (!m_process)
        return true;
    ::TerminateProcess(m_process.Get(), 0);
    const bool ended = ::WaitForSingleObject(m_process.Get(), kExitWaitMs) == WAIT_OBJECT_0;
    m_process.Reset();
    return ended;
}
