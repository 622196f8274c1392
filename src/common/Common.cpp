#include "common/Common.h"

#include "app/AppInfo.h"
#include "common/LogFormat.h"
#include "common/OsName.h"
#include "common/Trap.h"
#include "common/UTC.h"
#include "common/VersionInfo.h"
#include "common/Win32.h"

#include <shlobj.h>

namespace Common {
std::wstring ErrorLogPathname;
double StartTime = 0.0;
bool LogHeaderWritten = false;

namespace {
std::wstring osName = L"Unknown";
std::int32_t osBuild = 0;
bool readingClock = false; // the clock's own failure report must not read the clock again

MonthNames AbbreviatedMonthNames() {
    static const wchar_t* const kEnglish[12] = {L"Jan", L"Feb", L"Mar", L"Apr", L"May", L"Jun",
                                                L"Jul", L"Aug", L"Sep", L"Oct", L"Nov", L"Dec"};
    MonthNames names;
    for (int i = 0; i < 12; ++i) {
        wchar_t buffer[80];
        const int length = ::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SABBREVMONTHNAME1 + i, buffer, 80);
        names[static_cast<size_t>(i)] =
            length > 1 ? std::wstring(buffer, static_cast<size_t>(length - 1)) : std::wstring(kEnglish[i]);
    }
    return names;
}

bool AppendToFile(const std::wstring& path, const std::string& bytes) {
    if (path.empty()) {
        return false;
    }
    UniqueFile file(::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    DWORD written = 0;
    return ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

LogHeaderInfo CollectHeaderInfo() {
    LogHeaderInfo info;
    info.appTitle = AppTitle;
    const ProgramVersion version = ReadProgramVersion();
    info.major = version.major;
    info.minor = version.minor;
    info.revision = version.revision;
    const ModulePathParts module = SplitModulePath(OwnModulePath());
    info.appPath = module.folder;
    info.appExe = module.exeName;
    info.osName = GetOSName();
    info.osBuild = GetOSBuild();
    info.country = LocaleInfo::GetLocaleCountry();
    info.language = LocaleInfo::GetLocaleLanguage();
    return info;
}
} // namespace

void Initialize() {
    LogHeaderWritten = false;
    osName = L"Unknown";
    ErrorLogPathname = ProgramFolder() + L"\\ErrorLog.txt";
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

std::wstring FallbackLogPathname() {
    const auto getFolderPath =
        SystemFunction<decltype(::SHGetFolderPathW)>(L"shell32.dll", "SHGetFolderPathW");
    wchar_t folder[MAX_PATH];
    if (getFolderPath == nullptr ||
        FAILED(getFolderPath(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, folder))) {
        return {};
    }
    std::wstring path = std::wstring(folder) + L"\\Quillon";
    ::CreateDirectoryW(path.c_str(), nullptr);
    return path + L"\\ErrorLog.txt";
}

void WriteLog(std::wstring_view message) noexcept {
    try {
        const MonthNames months = AbbreviatedMonthNames();
        std::wstring text;
        if (!LogHeaderWritten) {
            // Set before the header is gathered: a failure reported while gathering it
            // must not start a second header.
            LogHeaderWritten = true;
            text += L"\r\n";
            for (const std::wstring& line : FormatLogHeader(CollectHeaderInfo())) {
                text += FormatLogLine(StartTime, months, line) + L"\r\n";
            }
        }
        double now = StartTime;
        if (!readingClock) {
            readingClock = true;
            now = UTC::CurrentTime();
            readingClock = false;
        }
        text += FormatLogLine(now, months, message) + L"\r\n";

        const std::string bytes = ToAnsi(text);
        if (!AppendToFile(ErrorLogPathname, bytes)) {
            AppendToFile(FallbackLogPathname(), bytes);
        }
    } catch (...) {
        readingClock = false; // the line is lost, silently
    }
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
        osName = OsNameFor(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
    });
}

std::wstring GetOSName() { return osName; }

std::int32_t GetOSBuild() { return osBuild; }
} // namespace Common

namespace {
std::int16_t lastReportedError = 0;
} // namespace

void ReportError(std::int16_t number, std::wstring_view label) {
    lastReportedError = number;
    Common::WriteLog(FormatErrorMessage(number, label));
}

std::int16_t LastReportedError() { return lastReportedError; }

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
