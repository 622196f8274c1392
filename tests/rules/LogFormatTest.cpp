#include "rules/DayCount.h"
#include "rules/ErrorTable.h"
#include "rules/LogFormat.h"
#include "rules/OsName.h"
#include "rules/Trap.h"

#include <gtest/gtest.h>

namespace {
const MonthNames kEnglish = {L"Jan", L"Feb", L"Mar", L"Apr", L"May", L"Jun",
                             L"Jul", L"Aug", L"Sep", L"Oct", L"Nov", L"Dec"};

double DayCount(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    int state = 0;
    return UTC::DayCountOf({year, month, day, hour, minute, second}, state);
}
} // namespace

TEST(DayCount, CountsFromTheFirstOfJanuary2000) {
    EXPECT_DOUBLE_EQ(DayCount(2000, 1, 1), 36526.0);
    EXPECT_DOUBLE_EQ(DayCount(2000, 1, 1, 12), 36526.5);
    EXPECT_DOUBLE_EQ(DayCount(2000, 3, 1), 36586.0); // 2000 is a leap year
    EXPECT_DOUBLE_EQ(DayCount(2026, 12, 31, 23, 59, 59), 46387.0 + 86399.0 / 86400.0);
}

TEST(DayCount, CenturyYearsAreLeapOnlyEveryFourHundred) {
    EXPECT_DOUBLE_EQ(DayCount(2100, 3, 1) - DayCount(2100, 2, 1), 28.0);
    EXPECT_DOUBLE_EQ(DayCount(2400, 3, 1) - DayCount(2400, 2, 1), 29.0);
}

TEST(DayCount, YearsBefore2000GiveTheirTrueDayCount) {
    EXPECT_DOUBLE_EQ(DayCount(1899, 12, 30), 0.0);
    EXPECT_DOUBLE_EQ(DayCount(1999, 12, 31), 36525.0);
    EXPECT_DOUBLE_EQ(DayCount(1970, 1, 1), 25569.0);
}

TEST(DayCount, MonthDaysIsTheLengthOfThePreviousMonth) {
    const int expected[] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30};
    for (int month = 1; month <= 12; ++month) {
        EXPECT_EQ(UTC::MonthDays(static_cast<std::int16_t>(month), false), expected[month - 1]) << month;
    }
    EXPECT_EQ(UTC::MonthDays(3, true), 29);
    EXPECT_EQ(UTC::MonthDays(0, false), 0);
    EXPECT_EQ(UTC::MonthDays(13, true), 0);
}

TEST(DayCount, AFieldOutOfRangeFailsAtTheStepThatUsesIt) {
    int state = 0;
    EXPECT_THROW(UTC::DayCountOf({2026, 13, 1, 0, 0, 0}, state), TrapError);
    EXPECT_EQ(state, 2);
    EXPECT_THROW(UTC::DayCountOf({2026, 1, 1, 24, 0, 0}, state), TrapError);
    EXPECT_EQ(state, 4);
    EXPECT_THROW(UTC::DayCountOf({0, 1, 1, 0, 0, 0}, state), TrapError);
    EXPECT_EQ(state, 1);
}

TEST(LogFormat, TimestampIsDayMonthNameYearAndTime) {
    EXPECT_EQ(FormatLogTimestamp(DayCount(2026, 12, 7, 5, 4, 3), kEnglish), L"07-Dec-2026 05:04:03");
    EXPECT_EQ(FormatLogTimestamp(DayCount(2000, 2, 29, 23, 59, 59), kEnglish), L"29-Feb-2000 23:59:59");
    EXPECT_EQ(FormatLogTimestamp(0.0, kEnglish), L"30-Dec-1899 00:00:00");
}

TEST(LogFormat, LineAndErrorMessage) {
    EXPECT_EQ(FormatLogLine(DayCount(2001, 1, 2), kEnglish, L"x"), L"02-Jan-2001 00:00:00 > x");
    EXPECT_EQ(FormatErrorMessage(53, L"Form1.Form_Load"),
              L"program error 53 in module Form1.Form_Load: File not found");
    EXPECT_EQ(FormatErrorMessage(-3, L"L"), L"program error -3 in module L: Application-defined or "
                                            L"object-defined error");
}

TEST(LogFormat, HeaderLabelsAreTwentyOneCharacters) {
    LogHeaderInfo info;
    info.appTitle = L"  UI-View Quillon V1.1.0 ";
    info.major = 1;
    info.minor = 10;
    info.revision = 3;
    info.appPath = L"C:\\Tools";
    info.appExe = L"Quillon";
    info.osName = L"unknown";
    info.osBuild = 7601;
    const auto lines = FormatLogHeader(info);
    EXPECT_EQ(lines[0], L"TAMBER application : UI-View Quillon V1.1.0");
    EXPECT_EQ(lines[1], L"Version            : 1.10.3");
    EXPECT_EQ(lines[4], L"Operating System   : unknown build 7601");
    EXPECT_EQ(lines[5], L"Country            : ");
    EXPECT_EQ(lines[6], L"Language           : ");
    for (const auto& line : lines) {
        EXPECT_EQ(line.find(L": "), 19u) << line;
    }
}

TEST(LogFormat, ModulePathKeepsTheRootSeparatorOnly) {
    EXPECT_EQ(SplitModulePath(L"C:\\Program Files\\Quillon\\Quillon.exe").folder,
              L"C:\\Program Files\\Quillon");
    EXPECT_EQ(SplitModulePath(L"C:\\Program Files\\Quillon\\Quillon.exe").exeName, L"Quillon");
    EXPECT_EQ(SplitModulePath(L"C:\\Quillon.exe").folder, L"C:\\");
    EXPECT_EQ(SplitModulePath(L"C:\\a\\my.tool.exe").exeName, L"my.tool");
}

TEST(ErrorTable, SystemCodesMapOntoTheClassicNumbers) {
    EXPECT_EQ(ErrorNumberFromSystemCode(2), 53);
    EXPECT_EQ(ErrorNumberFromSystemCode(3), 76);
    EXPECT_EQ(ErrorNumberFromSystemCode(5), 70);
    EXPECT_EQ(ErrorNumberFromSystemCode(32), 70);
    EXPECT_EQ(ErrorNumberFromSystemCode(112), 61);
    EXPECT_EQ(ErrorNumberFromSystemCode(123), 52);
    EXPECT_EQ(ErrorNumberFromSystemCode(99999), 75);
    EXPECT_EQ(ErrorDescription(76), L"Path not found");
    EXPECT_EQ(ToErrorNumber16(40000), static_cast<std::int16_t>(40000 - 65536));
}

TEST(OsName, DecisionTable) {
    struct Case {
        unsigned long platform, major, minor, build;
        const wchar_t* name;
    };
    const Case cases[] = {
        {1, 7, 10, 0, L"Windows 98"},     {1, 4, 3, 0, L"unknown"},         {2, 3, 99, 0, L"Windows NT 3.51"},
        {2, 5, 2, 0, L"Windows Server"},  {2, 5, 3, 0, L"unknown"},         {2, 6, 0, 6002, L"Vista"},
        {2, 6, 1, 7601, L"Windows 7"},    {2, 6, 2, 9200, L"Windows 8"},    {2, 6, 3, 9600, L"Windows 8.1"},
        {2, 10, 0, 21999, L"Windows 10"}, {2, 10, 0, 22000, L"Windows 11"}, {0, 5, 1, 0, L"unknown"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(OsNameFor(c.platform, c.major, c.minor, c.build), c.name) << c.major << "." << c.minor;
    }
}
