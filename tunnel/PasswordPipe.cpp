#include "tunnel/PasswordPipe.h"

#include <vector>

namespace {

constexpr DWORD kPipeBufferBytes = 4096;

// The security descriptor of a pipe that only the current user can open.
class OwnerOnlySecurity {
public:
    OwnerOnlySecurity()
    {
        HANDLE token = nullptr;
        if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
            return;
        UniqueHandle ownedToken(token);
        DWORD size = 0;
        ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
        m_user.resize(size);
        if (!::GetTokenInformation(token, TokenUser, m_user.data(), size, &size))
            return;
        PSID sid = reinterpret_cast<TOKEN_USER*>(m_user.data())->User.Sid;
        m_acl.resize(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + ::GetLengthSid(sid));
        auto* acl = reinterpret_cast<PACL>(m_acl.data());
        m_ready = ::InitializeAcl(acl, static_cast<DWORD>(m_acl.size()), ACL_REVISION) &&
                  ::AddAccessAllowedAce(acl, ACL_REVISION, GENERIC_ALL, sid) &&
                  ::InitializeSecurityDescriptor(&m_descriptor, SECURITY_DESCRIPTOR_REVISION) &&
                  ::SetSecurityDescriptorDacl(&m_descriptor, TRUE, acl, FALSE);
        m_attributes.lpSecurityDescriptor = &m_descriptor;
    }

    // Null when the descriptor could not be built: the pipe is then not made.
    SECURITY_ATTRIBUTES* Get() { return m_ready ? &m_attributes : nullptr; }

private:
    std::vector<BYTE> m_user;
    std::vector<BYTE> m_acl;
    SECURITY_DESCRIPTOR m_descriptor{};
    SECURITY_ATTRIBUTES m_attributes{sizeof(SECURITY_ATTRIBUTES), nullptr, FALSE};
    bool m_ready = false;
};

}  // namespace

bool PasswordPipe::Create(const std::wstring& name)
{
    OwnerOnlySecurity security;
    if (!security.Get() || !m_event)
        return false;
    m_pipe.Reset(::CreateNamedPipeW(name.c_str(),
                                    PIPE_ACCESS_OUTBOUND | FILE_FLAG_FIRST_PIPE_INSTANCE | FILE_FLAG_OVERLAPPED,
                                    PIPE_TYPE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, kPipeBufferBytes,
                                    kPipeBufferBytes, 0, security.Get()));
    return static_cast<bool>(m_pipe);
}

bool PasswordPipe::Serve(HANDLE child, DWORD childProcessId, std::string_view secret, DWORD timeoutMs)
{
    if (!m_pipe || !WaitForClient(child, timeoutMs))
        return false;
    ULONG client = 0;
    if (!::GetNamedPipeClientProcessId(m_pipe.Get(), &client) || client != childProcessId) {
        m_pipe.Reset();
        return false;
    }
    std::string line(secret);
    line += '\n';
    const bool written = Write(line, timeoutMs);
    ::SecureZeroMemory(line.data(), line.size());
    // Closing, not disconnecting: the client still reads what is buffered.
    m_pipe.Reset();
    return written;
}

bool PasswordPipe::WaitForClient(HANDLE child, DWORD timeoutMs)
{
    OVERLAPPED overlapped{};
    overlapped.hEvent = m_event.Get();
    ::ResetEvent(m_event.Get());
    if (::ConnectNamedPipe(m_pipe.Get(), &overlapped))
        return true;
    const DWORD error = ::GetLastError();
    if (error == ERROR_PIPE_CONNECTED)
        return true;
    if (error != ERROR_IO_PENDING)
        return false;
    const HANDLE waits[2] = {m_event.Get(), child};
    if (::WaitForMultipleObjects(2, waits, FALSE, timeoutMs) == WAIT_OBJECT_0) {
        DWORD ignored = 0;
        return ::GetOverlappedResult(m_pipe.Get(), &overlapped, &ignored, FALSE) != FALSE;
    }
    // The child ended or never came: the operation must be over before the
    // OVERLAPPED on this stack goes away.
    DWORD ignored = 0;
    ::CancelIoEx(m_pipe.Get(), &overlapped);
    ::GetOverlappedResult(m_pipe.Get(), &overlapped, &ignored, TRUE);
    m_pipe.Reset();
    return false;
}

bool PasswordPipe::Write(std::string_view bytes, DWORD timeoutMs)
{
    OVERLAPPED overlapped{};
    overlapped.hEvent = m_event.Get();
    ::ResetEvent(m_event.Get());
    DWORD written = 0;
    if (!::WriteFile(m_pipe.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), nullptr, &overlapped)) {
        if (::GetLastError() != ERROR_IO_PENDING)
            return false;
        if (::WaitForSingleObject(m_event.Get(), timeoutMs) != WAIT_OBJECT_0) {
            ::CancelIoEx(m_pipe.Get(), &overlapped);
            ::GetOverlappedResult(m_pipe.Get(), &overlapped, &written, TRUE);
            return false;
        }
    }
    return ::GetOverlappedResult(m_pipe.Get(), &overlapped, &written, FALSE) && written == bytes.size();
}

std::string PasswordBytes(const std::wstring& password)
{
    const int length =
        ::WideCharToMultiByte(CP_ACP, 0, password.data(), static_cast<int>(password.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, password.data(), static_cast<int>(password.size()), bytes.data(), length, nullptr,
                          nullptr);
    return bytes;
}
