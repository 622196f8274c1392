#include "rules/GridText.h"

// No separator after the stand-in: programDir keeps its own leading "\" when it had one.
std::wstring ProgramPathDisplayOf(const XtrRecord& entry) {
    return JoinProgramPath(L"<UIView-Dir>", ProgramPathOf(entry));
}
