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

// The tip over a red cell: the program's absolute path, and why it is red.
std::wstring MissingProgramTip(ProgramLook look, const std::wstring& path);

// "<UIView-Dir>" stands for the UI-View32 folder in front of a path without drive.
std::wstring ProgramPathDisplayOf(const XtrRecord& entry);
