// The rules raise and trap failures but the diagnostic log belongs to the
// Windows program; in the native build a report goes to standard error.
#include "common/LogFormat.h"
#include "common/Log.h"
#include "common/Trap.h"

#include <cstdio>

void ReportError(std::int16_t number, std::wstring_view label) {
    std::fprintf(stderr, "%ls\n", FormatErrorMessage(number, label).c_str());
}
