// The baseline of the connect benchmark: the same plink command started
// directly, hidden, with the same kind of standard streams as the client's.
#pragma once

#include "framework/Handles.h"

#include <filesystem>
#include <string>

class DirectPlink {
public:
    // Seeds the host key and writes the standard-input file; nothing runs yet.
    DirectPlink(std::wstring commandLine, const std::wstring& host, const std::filesystem::path& folder);
    // Terminates the process and waits for its end.
    ~DirectPlink();
    DirectPlink(const DirectPlink&) = delete;
    DirectPlink& operator=(const DirectPlink&) = delete;

    bool Start();
    // Ends the process; true once it has ended (bounded wait).
    bool Stop();

private:
    std::wstring m_commandLine;
    UniqueHandle m_input;
    UniqueHandle m_output;
    UniqueHandle m_error;
    UniqueHandle m_process;
};
