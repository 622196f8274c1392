#pragma once
// Rules on the names of XTR files.
#include <string_view>

// The name ends in ".xtr" in any letter case. The platform's "*.xtr" pattern
// also matches longer extensions through 8.3 short names; those are not XTR files.
bool HasXtrExtension(std::wstring_view name) noexcept;

// CON, PRN, AUX, NUL, COM1-9, LPT1-9 (and CONIN$, CONOUT$) name devices
// whatever extension follows them, so "con.xtr" opens the console, not a file.
bool IsReservedDeviceName(std::wstring_view name) noexcept;

// A name that can only mean a file directly in its folder: not empty, no
// folder separator, no wildcard, colon (alternate stream) or control
// character, no device name, no dot or blank at the end (the file system
// drops those, so "a.xtr." would write over "a.xtr"), and at most 255 characters.
bool IsPlainFileName(std::wstring_view name) noexcept;
