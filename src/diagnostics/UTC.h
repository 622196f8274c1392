#pragma once
#include "rules/DayCount.h"

namespace UTC {
// The current UTC time as a day count; 0 after a failure, which is logged.
double CurrentTime();

// The day count of one clock reading, with the failure report of CurrentTime.
double CurrentTimeOf(const UtcFields& reading);
} // namespace UTC
