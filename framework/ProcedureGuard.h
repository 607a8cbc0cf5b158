// No exception may cross into the system's window code. Every window, dialog
// and subclass procedure of the program runs its handlers through
// GuardProcedure: an exception there is reported once through the failure
// handler that the program installs (which tells the user and leaves the
// system direct), and the message gets the given fallback result.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>

namespace seams {
// Called with the failure's text; empty does nothing beyond the fallback.
extern std::function<void(const char* what)> procedureFailure;
}  // namespace seams

// Reports a failure that escaped a handler; a failure while one is being
// reported is not reported again.
void ReportProcedureFailure(const char* what) noexcept;

template <class Result, class Body>
Result GuardProcedure(Result fallback, Body&& body) noexcept
{
    try {
        return body();
    } catch (const std::exception& failure) {
        ReportProcedureFailure(failure.what());
    } catch (...) {
        ReportProcedureFailure("unknown exception");
    }
    return fallback;
}
