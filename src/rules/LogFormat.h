#pragma once
// The text of the diagnostic log: timestamps, entry lines, the error message
// and the header block written before a run's first entry.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

using MonthNames = std::array<std::wstring, 12>;

// "dd-mmm-yyyy hh:nn:ss" for a day count, with the locale's abbreviated month names.
std::wstring FormatLogTimestamp(double dayCount, const MonthNames& abbreviatedMonths);

// One line of the log, without its line break: timestamp, " > ", text.
std::wstring FormatLogLine(double dayCount, const MonthNames& abbreviatedMonths, std::wstring_view text);

// "program error N in module LABEL: DESCRIPTION".
std::wstring FormatErrorMessage(std::int16_t number, std::wstring_view label);

struct LogHeaderInfo {
    std::wstring appTitle;
    unsigned major = 0;
    unsigned minor = 0;
    unsigned revision = 0;
    std::wstring appPath;
    std::wstring appExe;
    std::wstring osName;
    long osBuild = 0;
    std::wstring country;
    std::wstring language;
};

// The seven header texts, each a 21-character label and its value.
std::array<std::wstring, 7> FormatLogHeader(const LogHeaderInfo& info);

struct ModulePathParts {
    std::wstring folder;  // without a trailing separator, except a drive's root ("C:\")
    std::wstring exeName; // the file name without its extension
};
ModulePathParts SplitModulePath(std::wstring_view modulePath);
