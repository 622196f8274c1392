#include "rules/Trap.h"

#include "rules/ErrorTable.h"

#include <new>
#include <stdexcept>

namespace {
// What was thrown, as the program's error number (wrapped to a signed 16-bit
// value) and the system's code behind it.
TrapResult FailureOf(std::exception_ptr failure) noexcept {
    try {
        std::rethrow_exception(failure);
    } catch (const TrapError& error) {
        return TrapResult::Failure(ToErrorNumber16(error.Number()), error.SystemCode(), error.Where(),
                                   error.BinKeptCopy());
    } catch (const std::bad_alloc&) {
        return TrapResult::Failure(Err::OutOfMemory);
    } catch (const std::length_error&) {
        return TrapResult::Failure(Err::OutOfMemory);
    } catch (const std::out_of_range&) {
        return TrapResult::Failure(Err::SubscriptOutOfRange);
    } catch (const std::overflow_error&) {
        return TrapResult::Failure(Err::Overflow);
    } catch (...) {
        return TrapResult::Failure(Err::InternalError);
    }
}
} // namespace

TrapResult ReportTrapped(std::wstring_view label, std::exception_ptr failure, const int* marker,
                         std::wstring_view tail) noexcept {
    const TrapResult result = FailureOf(failure);
    try {
        ReportError(result.Error(), std::wstring(label) +
                                        (marker != nullptr ? std::to_wstring(*marker) : L"") +
                                        std::wstring(tail));
    } catch (...) {
        // The log is the last resort: there is nowhere left to report to.
    }
    return result;
}
