#include "xtr/ProgramPaths.h"

#include "host/HostFolder.h"
#include "rules/HostPaths.h"
#include "rules/XtrTable.h"

std::wstring ProgramPathAbsolute(std::int16_t index) {
    return ProgramPathAbsoluteOf(ProgramPathOf(XtrEntry(index)), ReadHostFolderSetting());
}

std::wstring ProgramPathForFile(std::int16_t index) {
    return ProgramPathForFileOf(ProgramPathOf(XtrEntry(index)), ReadHostFolderSetting());
}
