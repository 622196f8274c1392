#include "diagnostics/UTC.h"

#include "diagnostics/Common.h"
#include "rules/Trap.h"
#include "system/Win32.h"

namespace UTC {
double CurrentTime() {
    SYSTEMTIME now{};
    ::GetSystemTime(&now);
    return CurrentTimeOf({now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond});
}

double CurrentTimeOf(const UtcFields& reading) {
    int state = 0;
    double result = 0.0; // and 0 after a failure
    if (!Trap(L"UTC.CurrentTime, State = ", state, [&] { result = DayCountOf(reading, state); })) {
        Common::WriteLog(L"   UTCTime.wYear   = " + std::to_wstring(reading.year));
        Common::WriteLog(L"   UTCTime.wMonth  = " + std::to_wstring(reading.month));
        Common::WriteLog(L"   UTCTime.wDay    = " + std::to_wstring(reading.day));
        Common::WriteLog(L"   UTCTime.wHour   = " + std::to_wstring(reading.hour));
        Common::WriteLog(L"   UTCTime.wMinute = " + std::to_wstring(reading.minute));
        Common::WriteLog(L"   UTCTime.wSecond = " + std::to_wstring(reading.second));
    }
    return result;
}
} // namespace UTC
