#include "rules/LogFormat.h"

#include "rules/DayCount.h"
#include "rules/ErrorTable.h"

#include <cstdio>

namespace {
std::wstring TwoDigits(int value) {
    wchar_t buffer[8];
    std::swprintf(buffer, 8, L"%02d", value);
    return buffer;
}
} // namespace

std::wstring FormatLogTimestamp(double dayCount, const MonthNames& abbreviatedMonths) {
    const UtcFields fields = FieldsOfDayCount(dayCount);
    wchar_t year[16];
    std::swprintf(year, 16, L"%04d", fields.year);
    return TwoDigits(fields.day) + L"-" + abbreviatedMonths[static_cast<size_t>(fields.month - 1)] + L"-" +
           year + L" " + TwoDigits(fields.hour) + L":" + TwoDigits(fields.minute) + L":" +
           TwoDigits(fields.second);
}

std::wstring FormatLogLine(double dayCount, const MonthNames& abbreviatedMonths, std::wstring_view text) {
    return FormatLogTimestamp(dayCount, abbreviatedMonths) + L" > " + std::wstring(text);
}

std::wstring FormatErrorMessage(std::int16_t number, std::wstring_view label) {
    return L"program error " + std::to_wstring(number) + L" in module " + std::wstring(label) + L": " +
           std::wstring(ErrorDescription(number));
}

std::array<std::wstring, 7> FormatLogHeader(const LogHeaderInfo& info) {
    return {
        L"TAMBER application : " + TrimBlanks(info.appTitle),
        L"Version            : " + std::to_wstring(info.major) + L"." + std::to_wstring(info.minor) + L"." +
            std::to_wstring(info.revision),
        L"App.Path           : " + info.appPath,
        L"App.exe            : " + info.appExe,
        L"Operating System   : " + info.osName + L" build " + std::to_wstring(info.osBuild),
        L"Country            : " + info.country,
        L"Language           : " + info.language,
    };
}

ModulePathParts SplitModulePath(std::wstring_view modulePath) {
    ModulePathParts parts;
    const size_t slash = modulePath.find_last_of(L"\\/");
    std::wstring_view fileName = modulePath;
    if (slash != std::wstring_view::npos) {
        parts.folder = std::wstring(modulePath.substr(0, slash));
        fileName = modulePath.substr(slash + 1);
        // A drive's root folder keeps its separator: "C:\", not "C:".
        if (parts.folder.size() == 2 && parts.folder[1] == L':') {
            parts.folder += L'\\';
        }
    }
    const size_t dot = fileName.find_last_of(L'.');
    parts.exeName = std::wstring(dot == std::wstring_view::npos ? fileName : fileName.substr(0, dot));
    return parts;
}

std::wstring TrimBlanks(std::wstring_view text) {
    const size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring_view::npos) {
        return {};
    }
    const size_t last = text.find_last_not_of(L' ');
    return std::wstring(text.substr(first, last - first + 1));
}
