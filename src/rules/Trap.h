#pragma once
// The one failure convention of the program: a procedure runs its body under
// Trap() with its label; any failure inside becomes an error number that is
// reported through ReportError, and the procedure ends at once while its caller
// carries on. Rule code only raises; the trapping happens in the modules that
// own the procedures.
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

// The one failure reporter: "program error N in module LABEL: DESCRIPTION",
// one line of the diagnostic log, which defines it. Shows nothing and never
// ends the program.
void ReportError(std::int16_t number, std::wstring_view label);

// A failure carrying the program's error number (see ErrorTable.h) and, where
// the system gave one, its own error code: several codes share one number
// ("Permission denied" is also a file in use), and what the user is told
// must say which, where the failure lay when that is not the file itself
// (the folder that refused), and whether the Recycle Bin kept a copy of a file
// the failed step put back.
class TrapError {
  public:
    explicit TrapError(int number, unsigned long systemCode = 0, std::wstring where = {},
                       bool binKeptCopy = false)
        : number_(number), systemCode_(systemCode), where_(std::move(where)), binKeptCopy_(binKeptCopy) {}
    int Number() const { return number_; }
    unsigned long SystemCode() const { return systemCode_; }
    const std::wstring& Where() const { return where_; }
    bool BinKeptCopy() const { return binKeptCopy_; }

  private:
    int number_;
    unsigned long systemCode_;
    std::wstring where_;
    bool binKeptCopy_;
};

[[noreturn]] inline void Raise(int number) { throw TrapError(number); }

// How a procedure run under its trap ended: it ran to its end, or it failed
// and reported the error number it carries, for the few callers that must
// tell the user why an operation they asked for failed.
class TrapResult {
  public:
    TrapResult() = default;
    static TrapResult Failure(std::int16_t error, unsigned long systemCode = 0, std::wstring where = {},
                              bool binKeptCopy = false) {
        TrapResult result;
        result.failed_ = true;
        result.failure_ = TrapError(error, systemCode, std::move(where), binKeptCopy);
        return result;
    }
    explicit operator bool() const { return !failed_; }
    std::int16_t Error() const { return static_cast<std::int16_t>(failure_.Number()); }
    // The system's error code behind the error, 0 when there was none.
    unsigned long SystemCode() const { return failure_.SystemCode(); }
    const std::wstring& Where() const { return failure_.Where(); }
    bool BinKeptCopy() const { return failure_.BinKeptCopy(); }

  private:
    bool failed_ = false;
    TrapError failure_{0};
};

// Reports the failure in flight under the given label, with the marker's value
// after it when there is one, then tail (a procedure's name after its module's),
// and says how it ended. Never throws.
TrapResult ReportTrapped(std::wstring_view label, std::exception_ptr failure, const int* marker = nullptr,
                         std::wstring_view tail = {}) noexcept;

// Runs body; on failure reports under label, and says so.
template <class Body> TrapResult Trap(std::wstring_view label, Body&& body) noexcept {
    try {
        body();
        return {};
    } catch (...) {
        return ReportTrapped(label, std::current_exception());
    }
}

// As above, for procedures whose label ends in a position marker: the marker's
// value at the moment of failure is appended to the label prefix.
template <class Body>
TrapResult Trap(std::wstring_view labelPrefix, const int& marker, Body&& body) noexcept {
    try {
        body();
        return {};
    } catch (...) {
        return ReportTrapped(labelPrefix, std::current_exception(), &marker);
    }
}
