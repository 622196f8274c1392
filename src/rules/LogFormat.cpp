#include "rules/LogFormat.h"

#include "rules/DayCount.h"
#include "rules/ErrorTable.h"

#include <algorithm>
#include <cstdio>

std::wstring FormatLogTimestamp(double dayCount, const MonthNames& abbreviatedMonths) {
    const UtcFields fields = FieldsOfDayCount(dayCount);
    const std::wstring& month = abbreviatedMonths[static_cast<size_t>(fields.month - 1)];
    std::wstring text(month.size() + 32, L'\0');
    text.resize(static_cast<size_t>(std::swprintf(text.data(), text.size(), L"%02d-%ls-%04d %02d:%02d:%02d",
                                                  fields.day, month.c_str(), fields.year, fields.hour,
                                                  fields.minute, fields.second)));
    return text;
}

std::wstring FormatLogLine(double dayCount, const MonthNames& abbreviatedMonths, std::wstring_view text) {
    return FormatLogTimestamp(dayCount, abbreviatedMonths) + L" > " + std::wstring(text);
}

std::wstring FormatErrorMessage(std::int16_t number, std::wstring_view label) {
    return L"program error " + std::to_wstring(number) + L" in module " + std::wstring(label) + L": " +
           std::wstring(ErrorDescription(number));
}

std::array<std::wstring, 7> FormatLogHeader(const LogHeaderInfo& info) {
    // The title without the blanks around it (none left: npos + 1 is 0).
    std::wstring_view title = info.appTitle;
    title.remove_prefix(std::min(title.find_first_not_of(L' '), title.size()));
    return {
        L"TAMBER application : " + std::wstring(title.substr(0, title.find_last_not_of(L' ') + 1)),
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
