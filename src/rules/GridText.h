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
// Over a red cell the tooltip names the path looked for, after this.
inline constexpr wchar_t kProgramNotFoundTip[] = L"Program not found: ";
// ...and after the path when its server did not answer the scan in time.
inline constexpr wchar_t kServerSilentTip[] = L" (the server did not answer)";
// Colour values as 0x00BBGGRR.
inline constexpr std::uint32_t kProgramFoundColor = 0x0000FF00;   // pure green, 65280
inline constexpr std::uint32_t kProgramMissingColor = 0x000000FF; // pure red, 255

// "<UIView-Dir>" stands for the UI-View32 folder in front of a path without
// drive, with no separator of its own: programDir keeps its leading "\" when it had one.
inline std::wstring ProgramPathDisplayOf(const XtrRecord& entry) {
    return JoinProgramPath(L"<UIView-Dir>", ProgramPathOf(entry));
}
