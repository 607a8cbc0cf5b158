// Starting and ending the hidden plink process.
#pragma once

#include <windows.h>

#include <string>

// A fresh GUID as the process files' name part (Data3 in lower case).
std::wstring MakeGuidString();

// Starts the command hidden with the three files as its standard streams and
// puts it into `job`, which ends it if Corvane ends first. False when the
// process could not be created.
bool StartTunnelProcess(const std::wstring& commandLine, HANDLE input, HANDLE output, HANDLE error, HANDLE job,
                        PROCESS_INFORMATION& process);

// Terminates the process, waits a bounded time for it to end (so its files
// can be deleted), closes both handles and zeroes the information.
void EndTunnelProcess(PROCESS_INFORMATION& process);

// A job object that kills its processes when its last handle closes.
HANDLE CreateKillOnCloseJob();
