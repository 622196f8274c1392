#include "xtr/XtrNames.h"

#include <array>

namespace {
wchar_t AsciiUpper(wchar_t c) { return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

bool EqualsIgnoringCase(std::wstring_view a, std::wstring_view upper) {
    if (a.size() != upper.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiUpper(a[i]) != upper[i]) {
            return false;
        }
    }
    return true;
}
} // namespace

bool HasXtrExtension(std::wstring_view name) noexcept {
    return name.size() >= 4 && EqualsIgnoringCase(name.substr(name.size() - 4), L".XTR");
}

bool IsReservedDeviceName(std::wstring_view name) noexcept {
    // The device is named by what stands before the first dot; trailing blanks do not count.
    std::wstring_view base = name.substr(0, name.find(L'.'));
    while (!base.empty() && base.back() == L' ') {
        base.remove_suffix(1);
    }
    static constexpr std::array<std::wstring_view, 6> kFixed = {L"CON", L"PRN",    L"AUX",
                                                                L"NUL", L"CONIN$", L"CONOUT$"};
    for (std::wstring_view device : kFixed) {
        if (EqualsIgnoringCase(base, device)) {
            return true;
        }
    }
    if (base.size() == 4) {
        const bool com = EqualsIgnoringCase(base.substr(0, 3), L"COM");
        const bool lpt = EqualsIgnoringCase(base.substr(0, 3), L"LPT");
        // Newer Windows also reserves the superscript digits 1, 2 and 3.
        const wchar_t digit = base[3];
        const bool numbered = (digit >= L'1' && digit <= L'9') || digit == L'\u00B9' || digit == L'\u00B2' ||
                              digit == L'\u00B3';
        return (com || lpt) && numbered;
    }
    return false;
}

bool IsPlainFileName(std::wstring_view name) noexcept {
    // 255 is the longest name a Windows file system keeps.
    if (name.empty() || name.size() > 255 || name.back() == L'.' || name.back() == L' ') {
        return false;
    }
    for (wchar_t c : name) {
        if (c < 32 || std::wstring_view(L"\\/:*?\"<>|").find(c) != std::wstring_view::npos) {
            return false;
        }
    }
    return !IsReservedDeviceName(name);
}
