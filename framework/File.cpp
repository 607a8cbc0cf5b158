#include "framework/File.h"

#include "framework/SystemErrorText.h"
#include "framework/TextFormat.h"

bool CFile::Open(const std::wstring& path, UINT flags, CFileException* error)
{
    Close();
    DWORD access = 0;
    switch (flags & 0x3) {
    case modeRead: access = GENERIC_READ; break;
    case modeWrite: access = GENERIC_WRITE; break;
    default: access = GENERIC_READ | GENERIC_WRITE; break;
    }
    DWORD share = 0;  // the default, like shareExclusive, shares nothing
    switch (flags & 0x70) {
    case shareDenyWrite: share = FILE_SHARE_READ; break;
    case shareDenyRead: share = FILE_SHARE_WRITE; break;
    case shareDenyNone: share = FILE_SHARE_READ | FILE_SHARE_WRITE; break;
    default: break;
    }
    DWORD disposition = OPEN_EXISTING;
    if (flags & modeCreate)
        disposition = (flags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;

    SECURITY_ATTRIBUTES security{sizeof(security), nullptr, (flags & modeNoInherit) ? FALSE : TRUE};
    HANDLE file = ::CreateFileW(path.c_str(), access, share, &security, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        if (error) {
            error->m_lOsError = ::GetLastError();
            error->m_strFileName = path;
        }
        return false;
    }
    m_file.Reset(file);
    return true;
}

UINT CFile::Read(void* buffer, UINT count)
{
    DWORD read = 0;
    if (!m_file || !::ReadFile(m_file.Get(), buffer, count, &read, nullptr))
        return 0;
    return read;
}

bool CFile::Write(const void* buffer, UINT count)
{
    DWORD written = 0;
    return m_file && ::WriteFile(m_file.Get(), buffer, count, &written, nullptr) && written == count;
}

std::wstring CFileException::GetErrorMessage(size_t maxLength) const
{
    std::wstring reason = SystemErrorText(m_lOsError);
    while (!reason.empty() && (reason.back() == L'\n' || reason.back() == L'\r' || reason.back() == L' '))
        reason.pop_back();
    std::wstring text = FormatText(L"An error occurred while accessing %s.\n%s", {m_strFileName, reason});
    if (text.size() > maxLength)
        text.resize(maxLength);
    return text;
}
