#include "rules/OsName.h"

std::wstring OsNameFor(unsigned long platformId, unsigned long major, unsigned long minor,
                       unsigned long build) {
    if (platformId == 2 && major == 10 && minor == 0) {
        return build >= 22000 ? L"Windows 11" : L"Windows 10";
    }
    // The Windows 9x family (platform 1) is told apart by the minor version
    // only, Windows NT 3 and 4 by the major one only.
    constexpr unsigned long kAny = ~0ul;
    constexpr struct {
        unsigned long platformId, major, minor;
        const wchar_t* name;
    } kNames[] = {
        {1, kAny, 0, L"Windows 95"},
        {1, kAny, 10, L"Windows 98"},
        {1, kAny, 90, L"Windows Millennium"},
        {2, 3, kAny, L"Windows NT 3.51"},
        {2, 4, kAny, L"Windows NT 4.0"},
        {2, 5, 0, L"Windows 2000"},
        {2, 5, 1, L"Windows XP"},
        {2, 5, 2, L"Windows Server"},
        {2, 6, 0, L"Vista"},
        {2, 6, 1, L"Windows 7"},
        {2, 6, 2, L"Windows 8"},
        {2, 6, 3, L"Windows 8.1"},
    };
    for (const auto& known : kNames) {
        if (known.platformId == platformId && (known.major == kAny || known.major == major) &&
            (known.minor == kAny || known.minor == minor)) {
            return known.name;
        }
    }
    return L"unknown";
}
