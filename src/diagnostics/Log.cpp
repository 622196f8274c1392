#include "diagnostics/Log.h"

#include "diagnostics/Common.h"
#include "diagnostics/UTC.h"
#include "rules/AppInfo.h"
#include "rules/LogFormat.h"
#include "rules/Trap.h"
#include "system/Win32.h"
#include "version.h"

#include <shlobj.h>

namespace Common {
std::wstring ErrorLogPathname;
double StartTime = 0.0;
bool LogHeaderWritten = false;

namespace {
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

// False when it cannot be written (an empty path names no file).
bool AppendToFile(const std::wstring& path, const std::string& bytes) {
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
    const ModulePathParts module = SplitModulePath(OwnModulePath());
    return {.appTitle = AppTitle,
            .major = QUILLON_VERSION_MAJOR,
            .minor = QUILLON_VERSION_MINOR,
            .revision = QUILLON_VERSION_PATCH,
            .appPath = module.folder,
            .appExe = module.exeName,
            .osName = GetOSName(),
            .osBuild = GetOSBuild(),
            .country = LocaleInfo::GetLocaleCountry(),
            .language = LocaleInfo::GetLocaleLanguage()};
}
} // namespace

std::wstring FallbackLogPathname() {
    const auto getFolderPath =
        SystemFunction<decltype(::SHGetFolderPathW)>(L"shell32.dll", "SHGetFolderPathW");
    wchar_t folder[MAX_PATH];
    if (getFolderPath == nullptr ||
        FAILED(getFolderPath(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, folder))) {
        return {};
    }
    const std::wstring quillon = JoinPath(folder, L"Quillon");
    ::CreateDirectoryW(quillon.c_str(), nullptr);
    return JoinPath(quillon, L"ErrorLog.txt");
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

} // namespace Common

void ReportError(std::int16_t number, std::wstring_view label) {
    Common::WriteLog(FormatErrorMessage(number, label));
}
