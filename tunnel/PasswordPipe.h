// The password's way into plink: a named pipe that plink opens as its
// -pwfile, served once to exactly that child, so the password stands on no
// command line and in no file.
#pragma once

#include "framework/Handles.h"

#include <string>
#include <string_view>

class PasswordPipe {
public:
    // Creates the pipe's one instance, for local clients of the current user
    // only. False when the name exists already or the pipe cannot be made.
    bool Create(const std::wstring& name);

    // Waits at most `timeoutMs` for a client, makes sure it is the child
    // (a process id the system reports, not one the client claims), writes the
    // secret followed by LF and closes the pipe. False, with nothing written,
    // when the child ends or the time runs out first or another process came.
    bool Serve(HANDLE child, DWORD childProcessId, std::string_view secret, DWORD timeoutMs);

private:
    bool WaitForClient(HANDLE child, DWORD timeoutMs);
    bool Write(std::string_view bytes, DWORD timeoutMs);

    UniqueHandle m_pipe;
    UniqueHandle m_event{::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
};

// The password as plink reads it: in the ANSI code page, as a command-line
// argument used to reach it.
std::string PasswordBytes(const std::wstring& password);
