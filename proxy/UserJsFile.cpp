#include "proxy/UserJsFile.h"

#include "framework/Handles.h"
#include "proxy/UserJsRewrite.h"

#include <algorithm>
#include <memory>
#include <string>

namespace {

// Large enough that the number of system calls stops mattering.
constexpr DWORD kBlockSize = 64 * 1024;

bool WriteAll(HANDLE file, std::string_view bytes)
{
    while (!bytes.empty()) {
        const DWORD piece = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), piece, &written, nullptr) || written == 0)
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}

// Gathers the rewriter's pieces (a dropped line splits a block into several)
// into whole blocks before they are written.
class BlockWriter {
public:
    explicit BlockWriter(HANDLE file) : m_file(file) { m_pending.reserve(kBlockSize); }

    bool Write(std::string_view bytes)
    {
        if (m_pending.size() + bytes.size() < kBlockSize) {
            m_pending.append(bytes);
            return true;
        }
        return Flush() && WriteAll(m_file, bytes);
    }

    bool Flush()
    {
        const bool written = WriteAll(m_file, m_pending);
        m_pending.clear();
        return written;
    }

private:
    HANDLE m_file;
    std::string m_pending;
};

// The whole of `source` through the rewriter into `target`; false on any read
// or write failure, so a half-read user.js never replaces the whole one.
bool CopyRewritten(HANDLE source, HANDLE target, std::string_view lines)
{
    BlockWriter writer(target);
    UserJsRewriter rewriter([&writer](std::string_view bytes) { return writer.Write(bytes); });
    const auto block = std::make_unique<char[]>(kBlockSize);
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(source, block.get(), kBlockSize, &read, nullptr))
            return false;
        if (read == 0)
            return rewriter.Finish(lines) && writer.Flush();
        if (!rewriter.Feed(std::string_view(block.get(), read)))
            return false;
    }
}

// Writes the rewritten file to `tempPath` and flushes it to the disk; when
// that fails, nothing of it remains.
bool WriteRewritten(HANDLE userJs, const std::wstring& tempPath, std::string_view lines)
{
    UniqueHandle temp(::CreateFileW(tempPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!temp)
        return false;
    const bool written = CopyRewritten(userJs, temp.Get(), lines) && ::FlushFileBuffers(temp.Get());
    temp.Reset();
    if (!written)
        ::DeleteFileW(tempPath.c_str());
    return written;
}

}  // namespace

bool RewriteUserJsFile(const std::wstring& userJsPath, const std::wstring& tempPath, std::string_view lines)
{
    UniqueHandle userJs(::CreateFileW(userJsPath.c_str(), GENERIC_READ, 0, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    const bool createdUserJs = ::GetLastError() != ERROR_ALREADY_EXISTS;
    if (!userJs)
        return false;

    const bool written = WriteRewritten(userJs.Get(), tempPath, lines);
    userJs.Reset();  // the move needs it closed

    // One step: there is no moment at which neither the old nor the new user.js exists.
    if (written && ::MoveFileExW(tempPath.c_str(), userJsPath.c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    if (written)
        ::DeleteFileW(tempPath.c_str());
    if (createdUserJs)
        ::DeleteFileW(userJsPath.c_str());
    return false;
}
