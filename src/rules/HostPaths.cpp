#include "rules/HostPaths.h"

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
    return JoinProgramPath(setting, path);
}

std::wstring ProgramPathForFileOf(ProgramPathView path, std::wstring_view setting) {
    std::wstring joined = JoinProgramPath(L"", path);
    if (!setting.empty() && joined.starts_with(setting)) {
        joined.erase(0, setting.size());
    }
    return joined;
}
