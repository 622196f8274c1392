#pragma once
// The diagnostic log "ErrorLog.txt": the program's one failure reporter and
// the writer under it. LogFormat holds the text of its lines.
#include <cstdint>
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

// "program error N in module LABEL: DESCRIPTION", one line of the log. Shows
// nothing and never ends the program.
void ReportError(std::int16_t number, std::wstring_view label);
