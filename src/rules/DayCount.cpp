#include "rules/DayCount.h"

#include "rules/ErrorTable.h"
#include "rules/Trap.h"

#include <cmath>

namespace {
bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }
} // namespace

namespace UTC {
std::int16_t MonthDays(std::int16_t month, bool leapYear) {
    constexpr std::int16_t kDaysBefore[12] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30};
    if (month < 1 || month > 12) {
        return 0;
    }
    return month == 3 && leapYear ? 29 : kDaysBefore[month - 1];
}

double DayCountOf(const UtcFields& time, int& state) {
    state = 1;
    if (time.year < 1 || time.year > 9999) {
        Raise(Err::Overflow);
    }
    long days = 36525; // the day before 1 January 2000
    for (int year = 2000; year < time.year; ++year) {
        days += IsLeapYear(year) ? 366 : 365;
    }
    // Clock readings before 2000 count back, so that they too give their true day count.
    for (int year = time.year; year < 2000; ++year) {
        days -= IsLeapYear(year) ? 366 : 365;
    }

    state = 2;
    if (time.month < 1 || time.month > 12) {
        Raise(Err::InvalidCall);
    }
    const bool leap = IsLeapYear(time.year);
    for (int month = 1; month <= time.month; ++month) {
        days += MonthDays(static_cast<std::int16_t>(month), leap);
    }

    state = 3;
    if (time.day < 1 || time.day > 31) {
        Raise(Err::InvalidCall);
    }
    days += time.day;

    state = 4;
    if (time.hour < 0 || time.hour > 23 || time.minute < 0 || time.minute > 59 || time.second < 0 ||
        time.second > 60) {
        Raise(Err::InvalidCall);
    }
    const long seconds = time.hour * 3600L + time.minute * 60L + time.second;

    state = 5;
    return static_cast<double>(days) + static_cast<double>(seconds) / 86400.0;
}
} // namespace UTC

UtcFields FieldsOfDayCount(double dayCount) {
    UtcFields fields;
    if (!std::isfinite(dayCount) || std::fabs(dayCount) > 3.0e6) {
        dayCount = 0.0;
    }
    const long long totalSeconds = std::llround(dayCount * 86400.0);
    const long long days = totalSeconds >= 0 ? totalSeconds / 86400 : -((-totalSeconds + 86399) / 86400);
    const long long secondOfDay = totalSeconds - days * 86400;
    // Howard Hinnant's civil-from-days, shifted so that 30 December 1899 is day 0.
    const long long shifted = days - 25569 + 719468;
    const long long era = (shifted >= 0 ? shifted : shifted - 146096) / 146097;
    const unsigned dayOfEra = static_cast<unsigned>(shifted - era * 146097);
    const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned shiftedMonth = (5 * dayOfYear + 2) / 153;
    fields.day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    fields.month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    fields.year = static_cast<int>(static_cast<long long>(yearOfEra) + era * 400 + (fields.month <= 2));
    fields.hour = static_cast<int>(secondOfDay / 3600);
    fields.minute = static_cast<int>(secondOfDay / 60 % 60);
    fields.second = static_cast<int>(secondOfDay % 60);
    return fields;
}
