// Failures of the driver: one exception type whose message says what could not
// be done and, for failed system calls, the system's reason.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>

namespace driver {

class DriverError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// UTF-8 form of a wide text, for messages and for the command line's output.
std::string ToUtf8(const std::wstring& text);

// Throws DriverError with "<what>: <system text> (error <code>)" for GetLastError().
[[noreturn]] void ThrowLastError(const std::string& what);

}  // namespace driver
