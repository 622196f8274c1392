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

// A failure carrying the program's error number (see ErrorTable.h).
class TrapError {
  public:
    explicit TrapError(int number) : number_(number) {}
    int Number() const { return number_; }

  private:
    int number_;
};

[[noreturn]] inline void Raise(int number) { throw TrapError(number); }

// The error number of whatever was thrown, wrapped to a signed 16-bit value.
std::int16_t TrappedErrorNumber(std::exception_ptr failure) noexcept;

void ReportError(std::int16_t number, std::wstring_view label);

// The number most recently handed to ReportError (0 before the first), for the
// few places that must tell the user why an operation they asked for failed.
std::int16_t LastReportedError();

// Reports the failure in flight under the given label. Never throws.
void ReportTrapped(std::wstring_view label, std::exception_ptr failure) noexcept;

// Runs body; on failure reports under label and returns false.
template <class Body> bool Trap(std::wstring_view label, Body&& body) noexcept {
    try {
        body();
        return true;
    } catch (...) {
        ReportTrapped(label, std::current_exception());
        return false;
    }
}

// As above, for procedures whose label ends in a position marker: the marker's
// value at the moment of failure is appended to the label prefix.
template <class Body> bool Trap(std::wstring_view labelPrefix, const int& marker, Body&& body) noexcept {
    try {
        body();
        return true;
    } catch (...) {
        std::exception_ptr failure = std::current_exception();
        std::wstring label;
        try {
            label = std::wstring(labelPrefix) + std::to_wstring(marker);
        } catch (...) {
            label = labelPrefix;
        }
        ReportTrapped(label, failure);
        return false;
    }
}
