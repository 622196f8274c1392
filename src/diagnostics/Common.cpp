#include "diagnostics/Common.h"

#include "diagnostics/Log.h"
#include "diagnostics/UTC.h"
#include "rules/LogFormat.h"
#include "rules/OsName.h"
#include "rules/Trap.h"
#include "system/Win32.h"

namespace Common {
namespace {
std::wstring osName = L"Unknown";
std::int32_t osBuild = 0;
} // namespace

void Initialize() {
    LogHeaderWritten = false;
    osName = L"Unknown";
    ErrorLogPathname = JoinPath(ProgramFolder(), L"ErrorLog.txt");
    StartTime = UTC::CurrentTime();
    GetOSVersion();
}

std::wstring ProgramFolder() {
    std::wstring folder = SplitModulePath(OwnModulePath()).folder;
    if (!folder.empty() && folder.back() == L'\\') {
        folder.pop_back();
    }
    return folder;
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
std::wstring GetLocaleLanguage() {
    std::wstring result;
    Trap(L"LocaleInfo.GetLocaleLanguage", [&] {
        const LCID locale = ::GetUserDefaultLCID();
        if (locale != 0) {
            result = GetUserLocaleInfo(locale, LOCALE_SLANGUAGE);
        }
    });
    return result;
}

std::wstring GetLocaleCountry() {
    std::wstring result;
    Trap(L"LocaleInfo.GetLocaleCountry", [&] {
        const LCID locale = ::GetUserDefaultLCID();
        if (locale != 0) {
            result = GetUserLocaleInfo(locale, LOCALE_SCOUNTRY);
        }
    });
    return result;
}

std::wstring GetUserLocaleInfo(unsigned long localeId, unsigned long item) {
    std::wstring result;
    Trap(L"LocaleInfo.GetUserLocaleInfo", [&] {
        const int needed = ::GetLocaleInfoW(localeId, item, nullptr, 0);
        if (needed <= 0) {
            return;
        }
        std::wstring buffer(static_cast<size_t>(needed), L' ');
        const int copied = ::GetLocaleInfoW(localeId, item, buffer.data(), needed);
        if (copied <= 0) {
            return;
        }
        buffer.resize(static_cast<size_t>(copied - 1));
        result = std::move(buffer);
    });
    return result;
}
} // namespace LocaleInfo
