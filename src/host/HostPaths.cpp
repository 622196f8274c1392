#include "host/HostPaths.h"

std::wstring WithoutTrailingBackslash(std::wstring_view setting) {
    if (!setting.empty() && setting.back() == L'\\') {
        setting.remove_suffix(1);
    }
    return std::wstring(setting);
}

std::wstring ProgramPathAbsoluteOf(const XtrRecord& entry, std::wstring_view setting) {
    if (!entry.programDrive.empty()) {
        return entry.programDrive + entry.programDir + L"\\" + entry.programFile;
    }
    if (!entry.programDir.empty()) {
        return std::wstring(setting) + entry.programDir + L"\\" + entry.programFile;
    }
    return std::wstring(setting) + entry.programFile;
}

std::wstring ProgramPathForFileOf(const XtrRecord& entry, std::wstring_view setting) {
    std::wstring path;
    if (!entry.programDrive.empty()) {
        path = entry.programDrive + entry.programDir + L"\\" + entry.programFile;
    } else if (!entry.programDir.empty()) {
        path = entry.programDir + L"\\" + entry.programFile;
    } else {
        path = entry.programFile;
    }
    if (!setting.empty() && path.starts_with(setting)) {
        path.erase(0, setting.size());
    }
    return path;
}
