#pragma once
// Date-time values as day counts: the whole part counts days from
// 30 December 1899, the fraction is the time of day.
#include <cstdint>

struct UtcFields {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

namespace UTC {
// The length in days of the month before the given one; 0 for January and
// for numbers outside 1 to 12.
std::int16_t MonthDays(std::int16_t month, bool leapYear);

// The day count of a UTC clock reading, counted from 1 January 2000 by whole
// years, whole months, the day and the time of day. `state` names the step
// running, so that a failure can say where it stopped. Raises on a field
// outside its range.
double DayCountOf(const UtcFields& time, int& state);
} // namespace UTC

// The calendar fields of a day count (seconds rounded to the nearest whole).
UtcFields FieldsOfDayCount(double dayCount);
