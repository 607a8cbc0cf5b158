// Moments taken by a waiting thread while the dialog's thread is busy in a
// call: when a process ended, when a folder last changed.
#pragma once

#include <windows.h>

#include <atomic>
#include <filesystem>
#include <thread>

// Milliseconds on the performance counter.
double NowMs();

// The moment a process ends.
class ExitClock {
public:
    explicit ExitClock(HANDLE process);
    ~ExitClock();
    ExitClock(const ExitClock&) = delete;
    ExitClock& operator=(const ExitClock&) = delete;

    // Waits (at most `timeoutMs`) for the end; its moment, negative if none.
    double EndedAt(DWORD timeoutMs);

private:
    void StopWaiting();

    HANDLE m_process = nullptr;
    HANDLE m_stop = nullptr;
    std::atomic<double> m_endedAt{-1};
    std::thread m_waiter;
};

// The moment of the last change to the files of a folder (a write, a new or
// a renamed file). Opens the folder only, never a file in it, so it cannot
// get in the way of the writer.
class FolderChangeClock {
public:
    explicit FolderChangeClock(const std::filesystem::path& folder);
    ~FolderChangeClock();
    FolderChangeClock(const FolderChangeClock&) = delete;
    FolderChangeClock& operator=(const FolderChangeClock&) = delete;

    // Lets late notices arrive (at most `graceMs` while none has), then
    // returns the moment of the last one; negative if none came.
    double LastChangeAt(DWORD graceMs);

private:
    HANDLE m_change = INVALID_HANDLE_VALUE;
    HANDLE m_stop = nullptr;
    HANDLE m_changed = nullptr;
    std::atomic<double> m_lastChange{-1};
    std::thread m_waiter;
};
