#include "rules/HostPaths.h"

#include "rules/AsciiCase.h"

#include <algorithm>

std::wstring WithoutTrailingBackslash(std::wstring_view setting) {
    if (!setting.empty() && setting.back() == L'\\') {
        setting.remove_suffix(1);
    }
    return std::wstring(setting);
}

std::wstring JoinProgramPath(std::wstring_view base, ProgramPathView path) {
    std::wstring joined;
    if (!path.drive.empty()) {
        joined.append(path.drive).append(path.dir) += L'\\';
    } else if (path.dir.starts_with(L"\\\\")) {
        joined.append(path.dir) += L'\\'; // a network path, \\server\share\...: absolute as it is
    } else if (!path.dir.empty()) {
        joined.append(base).append(path.dir) += L'\\';
    } else {
        joined.append(base);
    }
    joined.append(path.file);
    return joined;
}

std::wstring ProgramPathAbsoluteOf(ProgramPathView path, std::wstring_view setting) {
    std::wstring joined = JoinProgramPath(L"", path);
    if (setting.empty() || !path.drive.empty() || path.dir.starts_with(L"\\\\")) {
        return joined;
    }
    std::wstring folder = WithoutTrailingBackslash(setting);
    folder += L'\\';
    return folder.append(std::wstring_view(joined).substr(joined.starts_with(L'\\') ? 1 : 0));
}

std::wstring ProgramPathForFileOf(ProgramPathView path, std::wstring_view setting) {
    std::wstring joined = JoinProgramPath(L"", path);
    const std::wstring folder = WithoutTrailingBackslash(setting);
    if (!folder.empty() && joined.size() > folder.size() && joined.starts_with(folder) &&
        joined[folder.size()] == L'\\') {
        joined.erase(0, folder.size() + 1);
    }
    return joined;
}

namespace {
// A server name the zones can judge as it stands: labels of ASCII letters, digits, "-" and "_" between dots;
// and of the names of numbers, which the network reaches as addresses ("3405803785", "0xCB.0x71.9",
// "203.0.29449") but the zones may take for local names, only the four decimal numbers of an address.
bool IsPlainServerName(std::wstring_view name) {
    name.remove_suffix(name.ends_with(L'.') ? 1 : 0);
    bool numbers = true, address = true;
    size_t labels = 0;
    for (size_t start = 0; start <= name.size(); ++labels) {
        const size_t end = std::min(name.find(L'.', start), name.size());
        const std::wstring_view label = name.substr(start, end - start);
        if (label.empty() || label.find_first_not_of(L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                                     L"0123456789-_") != std::wstring_view::npos) {
            return false;
        }
        const bool decimal = label.find_first_not_of(L"0123456789") == std::wstring_view::npos;
        numbers =
            numbers && (decimal || (label.size() > 1 && label[0] == L'0' && AsciiUpper(label[1]) == L'X' &&
                                    label.find_first_not_of(L"0123456789ABCDEFabcdef", 2) == label.npos));
        address = address && decimal && (label.size() == 1 || label[0] != L'0') &&
                  (label.size() < 3 || (label.size() == 3 && label <= L"255"));
        start = end + 1;
    }
    return !numbers || (address && labels == 4);
}
} // namespace

ProgramPlace ProgramPlaceOf(std::wstring_view opened) noexcept {
    using enum ProgramPlace::Kind;
    const bool device = opened.starts_with(L"\\\\?\\") || opened.starts_with(L"\\\\.\\");
    const bool network =
        device ? EqualsAsciiUpper(opened.substr(4, 4), L"UNC\\") : opened.starts_with(L"\\\\");
    opened.remove_prefix(device ? (network ? 8 : 4) : (network ? 2 : 0));
    const bool drive = opened.size() >= 3 && AsciiUpper(opened[0]) >= L'A' && AsciiUpper(opened[0]) <= L'Z' &&
                       opened[1] == L':' && opened[2] == L'\\';
    if (!network && !drive) {
        return {};
    }
    if (opened.ends_with(L'\\') || opened.find_first_of(L"*?") != std::wstring_view::npos) {
        return {NoFile, {}, {}};
    }
    std::wstring_view parts[2];
    size_t count = 0;
    for (size_t start = network ? 0 : 3; start <= opened.size(); ++count) {
        const size_t end = std::min(opened.find(L'\\', start), opened.size());
        const std::wstring_view part = opened.substr(start, end - start);
        if (part.empty() || part == L"." || part == L".." || part.find(L'/') != std::wstring_view::npos) {
            return {};
        }
        if (count < 2) {
            parts[count] = part;
        }
        start = end + 1;
    }
    if (!network) {
        return {Drive, opened.substr(0, 2), {}};
    }
    if (count < 3) {
        return {NoFile, {}, {}};
    }
    return IsPlainServerName(parts[0]) ? ProgramPlace{Share, parts[0], parts[1]} : ProgramPlace{};
}
