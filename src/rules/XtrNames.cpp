#include "rules/XtrNames.h"

#include "rules/AsciiCase.h"

#include <array>
#include <cwchar>

bool HasXtrExtension(std::wstring_view name) noexcept {
    return name.size() >= 4 && EqualsAsciiUpper(name.substr(name.size() - 4), L".XTR");
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
        if (EqualsAsciiUpper(base, device)) {
            return true;
        }
    }
    if (base.size() == 4) {
        const bool com = EqualsAsciiUpper(base.substr(0, 3), L"COM");
        const bool lpt = EqualsAsciiUpper(base.substr(0, 3), L"LPT");
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

namespace {
constexpr std::wstring_view kTemporaryExtension = L".tmp";

std::wstring TemporaryStem(unsigned long long stamp, unsigned long processId, unsigned counter) {
    wchar_t stem[48];
    std::swprintf(stem, 48, L"%ls%016llx-%08lx-%u", kTemporaryPrefix, stamp, processId, counter);
    return stem;
}
} // namespace

std::wstring TemporaryName(unsigned long long stamp, unsigned long processId, unsigned counter) {
    return TemporaryStem(stamp, processId, counter) + std::wstring(kTemporaryExtension);
}

std::wstring TemporaryNameOnTheWay(unsigned long long stamp, unsigned long processId, unsigned counter,
                                   std::wstring_view destination, Held held) {
    const std::wstring stem = TemporaryStem(stamp, processId, counter) + static_cast<wchar_t>(held);
    if (stem.size() + destination.size() + kTemporaryExtension.size() > 255) {
        return stem + std::wstring(kTemporaryExtension);
    }
    return stem + std::wstring(destination) + std::wstring(kTemporaryExtension);
}

std::optional<TemporaryNameParts> ParseTemporaryName(std::wstring_view name) {
    const std::wstring_view prefix = kTemporaryPrefix;
    if (!name.starts_with(prefix) || !name.ends_with(kTemporaryExtension)) {
        return std::nullopt;
    }
    name.remove_prefix(prefix.size());
    name.remove_suffix(kTemporaryExtension.size());
    // stamp: 16 hex digits, "-", process: 8 hex digits, "-", counter: decimal digits
    const auto hexDigit = [](wchar_t c) {
        return c >= L'0' && c <= L'9' ? c - L'0' : c >= L'a' && c <= L'f' ? c - L'a' + 10 : -1;
    };
    if (name.size() < 16 + 1 + 8 + 2 || name[16] != L'-' || name[25] != L'-') {
        return std::nullopt;
    }
    TemporaryNameParts parts;
    for (size_t i = 0; i < 25; ++i) {
        const int digit = hexDigit(name[i]);
        if (i != 16 && digit < 0) {
            return std::nullopt;
        }
        if (i < 16) {
            parts.stamp = parts.stamp * 16 + static_cast<unsigned long long>(digit);
        }
    }
    size_t end = 26;
    while (end < name.size() && name[end] >= L'0' && name[end] <= L'9') {
        ++end;
    }
    if (end == 26) {
        return std::nullopt;
    }
    if (end == name.size()) {
        return parts;
    }
    const auto held = static_cast<Held>(name[end]);
    if (held != Held::NewVersion && held != Held::Copy && held != Held::InBin && held != Held::SetAside) {
        return std::nullopt;
    }
    parts.held = held;
    parts.destination = std::wstring(name.substr(end + 1));
    return parts;
}
