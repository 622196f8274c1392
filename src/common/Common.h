#pragma once
// The diagnostic log "ErrorLog.txt" and the operating-system facts for its header.
#include <cstdint>
#include <string>
#include <string_view>

namespace Common {
extern std::wstring ErrorLogPathname;
extern double StartTime;
extern bool LogHeaderWritten;

// Fixes the log's path and the start time of the run and detects the operating system.
void Initialize();

// Appends one entry (after the run's header block, the first time) to the log.
// Never fails: when neither log place can be written the line is lost.
void WriteLog(std::wstring_view message) noexcept;

// Where the log goes when the program's own folder cannot be written:
// %LOCALAPPDATA%\Quillon\ErrorLog.txt.
std::wstring FallbackLogPathname();

void GetOSVersion();
std::wstring GetOSName();
std::int32_t GetOSBuild();

// The folder that holds the running program, as the log header names it.
std::wstring ProgramFolder();
} // namespace Common

namespace LocaleInfo {
std::wstring GetLocaleLanguage();
std::wstring GetLocaleCountry();
std::wstring GetUserLocaleInfo(unsigned long localeId, unsigned long item);
} // namespace LocaleInfo
