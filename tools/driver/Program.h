// A program started for a test. It runs in a job object of its own that ends it
// (and every process it started) when the job handle closes, so neither a test
// that fails half-way nor a test process that dies leaves a copy running.
#pragma once

#include "UniqueHandle.h"
#include "Wait.h"

#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>

namespace driver {

class Program {
public:
    // Starts `exe` with the command line "\"<exe>\" <arguments>" (no blank when
    // `arguments` is empty). Throws DriverError when it cannot be started.
    explicit Program(const std::filesystem::path& exe, const std::wstring& arguments = {},
                     const std::filesystem::path& workingDirectory = {});
    Program(Program&&) noexcept = default;
    Program& operator=(Program&&) noexcept;
    // Terminates the program if it still runs.
    ~Program();

    DWORD Id() const { return processId_; }
    HANDLE Handle() const { return process_.get(); }
    bool IsRunning() const;
    // Waits until the program has handled its pending messages and waits for
    // input; false after `timeout`.
    bool WaitForInputIdle(milliseconds timeout) const;

    // The exit code once the program has ended, or nothing if it still runs after `timeout`.
    std::optional<DWORD> WaitForExit(milliseconds timeout) const;

    // Ends the program with `exitCode` and waits (bounded) until it is gone.
    // Does nothing when it has ended already.
    void Terminate(UINT exitCode = 1);

private:
    UniqueHandle job_;
    UniqueHandle process_;
    DWORD processId_ = 0;
};

// The folder of the running executable: the programs under test lie beside it.
std::filesystem::path ExecutableDirectory();

}  // namespace driver
