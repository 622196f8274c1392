#pragma once
// What the catalogue grid shows: header texts, colours and the display form of
// an application path.
#include "rules/XtrRecord.h"

#include <array>
#include <cstdint>
#include <string>

inline constexpr std::array<const wchar_t*, 6> kGridHeaders = {
    L"Description", L"XTR-Filename", L"Auto Start", L"Auto Stop", L"Application Path", L"Active"};
inline constexpr wchar_t kNoXtrFilesText[] = L"Sorry, No XTR files found...";
inline constexpr wchar_t kInvalidPathTip[] = L"RED color indicates that application-path is not valid";
// Colour values as 0x00BBGGRR.
inline constexpr std::uint32_t kProgramFoundColor = 0x0000FF00;   // pure green, 65280
inline constexpr std::uint32_t kProgramMissingColor = 0x000000FF; // pure red, 255

// "<UIView-Dir>" stands for the UI-View32 folder in front of a path without
// drive, with no separator of its own: programDir keeps its leading "\" when it had one.
inline std::wstring ProgramPathDisplayOf(const XtrRecord& entry) {
    return JoinProgramPath(L"<UIView-Dir>", ProgramPathOf(entry));
}

// The tip over a red cell: the program's absolute path (empty when none is given), and why it is red.
inline std::wstring MissingProgramTip(ProgramLook look, const std::wstring& path) {
    if (path.empty()) {
        return L"No program is given.";
    }
    if (look == ProgramLook::NotContacted) {
        const ProgramPlace place = ProgramPlaceOf(path);
        return L"Quillon did not look for " + path +
               (place.kind == ProgramPlace::Kind::Share
                    ? L": the server " + std::wstring(place.server) + L" is outside the local network."
                    : std::wstring(L": its server cannot be told."));
    }
    return L"Program not found: " + path +
           (look == ProgramLook::ServerSilent ? L" (the server did not answer)" : L"");
}
