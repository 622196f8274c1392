#include "rules/GridText.h"

// No separator after the stand-in: programDir keeps its own leading "\" when it had one.
std::wstring ProgramPathDisplayOf(const XtrRecord& entry) {
    return JoinProgramPath(L"<UIView-Dir>", ProgramPathOf(entry));
}

std::wstring MissingProgramTip(ProgramLook look, const std::wstring& path) {
    if (look == ProgramLook::NotContacted) {
        return L"Quillon did not look for " + path + L": the server " + std::wstring(NetworkServerOf(path)) +
               L" is outside the local network.";
    }
    return L"Program not found: " + path +
           (look == ProgramLook::ServerSilent ? L" (the server did not answer)" : L"");
}
