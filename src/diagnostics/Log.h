#pragma once
// The diagnostic log "ErrorLog.txt", where the program's one failure reporter
// writes (ReportError, declared with the trap). LogFormat holds its text.
#include <string>
#include <string_view>

namespace Common {
extern std::wstring ErrorLogPathname;
extern double StartTime;
extern bool LogHeaderWritten;

// Appends one entry (after the run's header block, the first time) to the log.
// Never fails: when neither log place can be written the line is lost.
void WriteLog(std::wstring_view message) noexcept;

// Where the log goes when the program's own folder cannot be written:
// %LOCALAPPDATA%\Quillon\ErrorLog.txt.
std::wstring FallbackLogPathname();
} // namespace Common
