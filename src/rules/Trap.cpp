#include "rules/Trap.h"

#include "rules/ErrorTable.h"

#include <new>
#include <stdexcept>

TrapResult ReportTrapped(std::wstring_view label, std::exception_ptr failure, const int* marker,
                         std::wstring_view tail) noexcept {
    // What was thrown, as the program's error number (wrapped to a signed 16-bit
    // value) and the system's code behind it.
    TrapResult result;
    try {
        std::rethrow_exception(failure);
    } catch (const TrapError& error) {
        result = TrapResult::Failure(ToErrorNumber16(error.Number()), error.SystemCode(), error.Where(),
                                     error.BinKeptCopy());
    } catch (const std::bad_alloc&) {
        result = TrapResult::Failure(Err::OutOfMemory);
    } catch (const std::length_error&) {
        result = TrapResult::Failure(Err::OutOfMemory);
    } catch (const std::out_of_range&) {
        result = TrapResult::Failure(Err::SubscriptOutOfRange);
    } catch (const std::overflow_error&) {
        result = TrapResult::Failure(Err::Overflow);
    } catch (...) {
        result = TrapResult::Failure(Err::InternalError);
    }
    try {
        ReportError(result.Error(), std::wstring(label) +
                                        (marker != nullptr ? std::to_wstring(*marker) : L"") +
                                        std::wstring(tail));
    } catch (...) {
        // The log is the last resort: there is nowhere left to report to.
    }
    return result;
}
