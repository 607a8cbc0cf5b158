// A file object with the framework's open modes. Handles are inheritable
// unless modeNoInherit is given, so a child process can be handed them.
#pragma once

#include "framework/Handles.h"

#include <string>

class CFileException {
public:
    DWORD m_lOsError = 0;
    std::wstring m_strFileName;

    // The failure as a sentence for the user, at most `maxLength` characters.
    std::wstring GetErrorMessage(size_t maxLength = 1023) const;
};

class CFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
    };

    CFile() = default;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Opens or creates the file; on failure fills `error` when given.
    bool Open(const std::wstring& path, UINT flags, CFileException* error = nullptr);
    bool IsOpen() const { return static_cast<bool>(m_file); }
    HANDLE GetHandle() const { return m_file.Get(); }

    // Bytes read; 0 at the end of the file or on a failure.
    UINT Read(void* buffer, UINT count);
    // True when every byte was written.
    bool Write(const void* buffer, UINT count);
    void Close() { m_file.Reset(); }

private:
    UniqueHandle m_file;
};
