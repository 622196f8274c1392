#include "xtr/ProgramPaths.h"

#include "rules/HostPaths.h"

std::wstring ProgramPathAbsolute(const XtrRecord& entry, std::wstring_view setting) {
    return ProgramPathAbsoluteOf(ProgramPathOf(entry), setting);
}

std::wstring ProgramPathForFile(const XtrRecord& entry, std::wstring_view setting) {
    return ProgramPathForFileOf(ProgramPathOf(entry), setting);
}
