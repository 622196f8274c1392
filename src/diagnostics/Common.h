#pragma once
// The shared module: the start of a run, the operating-system facts for the
// log's header and the user's locale. The log itself is Log.h's.
#include "diagnostics/Log.h"

#include <cstdint>
#include <string>

namespace Common {
// Fixes the log's path and the start time of the run and detects the operating system.
void Initialize();

void GetOSVersion();
std::wstring GetOSName();
std::int32_t GetOSBuild();
} // namespace Common

namespace LocaleInfo {
std::wstring GetLocaleLanguage();
std::wstring GetLocaleCountry();
std::wstring GetUserLocaleInfo(unsigned long localeId, unsigned long item);
} // namespace LocaleInfo
