// The rules raise and trap failures but the diagnostic log belongs to the
// Windows program; in the native build a report goes to standard error.
#include "rules/LogFormat.h"
#include "rules/Trap.h"

#include <cstdio>

void ReportError(std::int16_t number, std::wstring_view label) {
    std::fprintf(stderr, "%ls\n", FormatErrorMessage(number, label).c_str());
}
