#include "rules/HostPaths.h"

#include "rules/AsciiCase.h"

std::wstring WithoutTrailingBackslash(std::wstring_view setting) {
    if (!setting.empty() && setting.back() == L'\\') {
        setting.remove_suffix(1);
    }
    return std::wstring(setting);
}

bool IsFullPath(std::wstring_view path) noexcept {
    const bool drive = path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/');
    return drive || path.starts_with(L"\\\\");
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

std::wstring_view NetworkServerOf(std::wstring_view path) noexcept {
    // Windows takes "/" for "\\" here too, and "\\?\UNC\server" for "\\server".
    const auto separator = [](std::wstring_view text, size_t at) {
        return text.size() > at && (text[at] == L'\\' || text[at] == L'/');
    };
    if (!separator(path, 0) || !separator(path, 1)) {
        return {};
    }
    path.remove_prefix(2);
    if ((path.starts_with(L'?') || path.starts_with(L'.')) && separator(path, 1)) {
        const std::wstring_view device = path.substr(2);
        if (EqualsAsciiUpper(device.substr(0, 3), L"UNC") && separator(device, 3)) {
            path = device.substr(4);
        } else if (device.size() >= 2 && device[1] == L':') {
            return {}; // "\\?\C:\...": a drive's
        }              // any other device ("\\.\pipe") counts as a server of that name, never as local
    }
    return path.substr(0, path.find_first_of(L"\\/"));
}
