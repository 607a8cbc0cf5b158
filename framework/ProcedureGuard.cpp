#include "framework/ProcedureGuard.h"

namespace seams {
std::function<void(const char* what)> procedureFailure;
}  // namespace seams

void ReportProcedureFailure(const char* what) noexcept
{
    static bool reporting = false;
    if (reporting || !seams::procedureFailure)
        return;
    reporting = true;
    try {
        seams::procedureFailure(what);
    } catch (...) {
        // The report itself failed: nothing more can be done safely.
    }
    reporting = false;
}
