#include "rules/Trap.h"

#include "rules/ErrorTable.h"

#include <new>
#include <stdexcept>

std::int16_t TrappedErrorNumber(std::exception_ptr failure) noexcept {
    try {
        std::rethrow_exception(failure);
    } catch (const TrapError& error) {
        return ToErrorNumber16(error.Number());
    } catch (const std::bad_alloc&) {
        return Err::OutOfMemory;
    } catch (const std::length_error&) {
        return Err::OutOfMemory;
    } catch (const std::out_of_range&) {
        return Err::SubscriptOutOfRange;
    } catch (const std::overflow_error&) {
        return Err::Overflow;
    } catch (...) {
        return Err::InternalError;
    }
}

unsigned long TrappedSystemCode(std::exception_ptr failure) noexcept {
    try {
        std::rethrow_exception(failure);
    } catch (const TrapError& error) {
        return error.SystemCode();
    } catch (...) {
        return 0;
    }
}

TrapResult ReportTrapped(std::wstring_view label, std::exception_ptr failure) noexcept {
    const std::int16_t number = TrappedErrorNumber(failure);
    try {
        ReportError(number, label);
    } catch (...) {
        // The log is the last resort: there is nowhere left to report to.
    }
    return TrapResult::Failure(number, TrappedSystemCode(failure));
}
