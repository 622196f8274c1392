#include "xtr/GridText.h"

std::wstring ProgramPathDisplayOf(const XtrRecord& entry) {
    if (!entry.programDrive.empty()) {
        return entry.programDrive + entry.programDir + L"\\" + entry.programFile;
    }
    // No separator after the stand-in: programDir keeps its own leading "\" when it had one.
    if (!entry.programDir.empty()) {
        return L"<UIView-Dir>" + entry.programDir + L"\\" + entry.programFile;
    }
    return L"<UIView-Dir>" + entry.programFile;
}
