#include "diagnostics/Common.h"

#include "diagnostics/Log.h"
#include "diagnostics/UTC.h"
#include "rules/OsName.h"
#include "rules/Trap.h"
#include "system/Win32.h"

#include <algorithm>

namespace Common {
namespace {
std::wstring osName = L"Unknown";
std::int32_t osBuild = 0;
} // namespace

void Initialize() {
    LogHeaderWritten = false;
    osName = L"Unknown";
    ErrorLogPathname = JoinPath(FolderOf(OwnModulePath()), L"ErrorLog.txt");
    StartTime = UTC::CurrentTime();
    GetOSVersion();
}

void GetOSVersion() {
    Trap(L"Common.GetOSVersion", [] {
        OSVERSIONINFOW info{};
        info.dwOSVersionInfoSize = sizeof(info);
#if defined(_MSC_VER)
#pragma warning(suppress : 4996)
#endif
        ::GetVersionExW(&info);
        osBuild = static_cast<std::int32_t>(info.dwBuildNumber);
        osName = OsNameFor(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion, info.dwBuildNumber);
    });
}

std::wstring GetOSName() { return osName; }

std::int32_t GetOSBuild() { return osBuild; }
} // namespace Common

namespace LocaleInfo {
namespace {
// An item of the user's locale, trapped under label.
std::wstring UserLocaleItem(const wchar_t* label, unsigned long item) {
    std::wstring result;
    Trap(label, [&] {
        const LCID locale = ::GetUserDefaultLCID();
        if (locale != 0) {
            result = GetUserLocaleInfo(locale, item);
        }
    });
    return result;
}
} // namespace

std::wstring GetLocaleLanguage() { return UserLocaleItem(L"LocaleInfo.GetLocaleLanguage", LOCALE_SLANGUAGE); }

std::wstring GetLocaleCountry() { return UserLocaleItem(L"LocaleInfo.GetLocaleCountry", LOCALE_SCOUNTRY); }

std::wstring GetUserLocaleInfo(unsigned long localeId, unsigned long item) {
    std::wstring result;
    Trap(L"LocaleInfo.GetUserLocaleInfo", [&] {
        const int needed = ::GetLocaleInfoW(localeId, item, nullptr, 0);
        std::wstring buffer(static_cast<size_t>(std::max(needed, 1)), L' ');
        const int copied = needed > 0 ? ::GetLocaleInfoW(localeId, item, buffer.data(), needed) : 0;
        if (copied > 0) {
            result.assign(buffer, 0, static_cast<size_t>(copied - 1));
        }
    });
    return result;
}
} // namespace LocaleInfo
