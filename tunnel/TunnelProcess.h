// Starting and ending the hidden plink process.
#pragma once

#include <windows.h>

#include <string>

// A fresh GUID as the process files' name part (Data3 in lower case).
std::wstring MakeGuidString();

// plink.exe beside Corvane.exe: the tunnel never runs a plink found in the
// current folder or on the PATH.
std::wstring TunnelProgramPath();

enum class TunnelStart {
    Started,
    NotStarted,    // the process could not be created
    NotContained,  // it could not be put into the job, so it was ended unrun
};

// Starts `program` hidden with the three files as its standard streams, the
// only handles it inherits. It is created suspended and resumed only once it
// is in `job`, which ends it if Corvane ends first, so not one instruction of
// it runs outside the job.
TunnelStart StartTunnelProcess(const std::wstring& program, const std::wstring& commandLine, HANDLE input,
                               HANDLE output, HANDLE error, HANDLE job, PROCESS_INFORMATION& process);

// Terminates the process, waits a bounded time for it to end (so its files
// can be deleted), closes both handles and zeroes the information.
void EndTunnelProcess(PROCESS_INFORMATION& process);

// A job object that kills its processes when its last handle closes; none
// when the limit cannot be set, since a job without it protects nothing.
HANDLE CreateKillOnCloseJob();
