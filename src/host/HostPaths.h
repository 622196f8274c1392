#pragma once
// How an entry's program path relates to the UI-View32 folder.
#include "xtr/XtrRecord.h"

#include <string>
#include <string_view>

// The folder setting without one trailing backslash (only one).
std::wstring WithoutTrailingBackslash(std::wstring_view setting);

// The absolute path of the entry's program; a path without drive is relative
// to the UI-View32 folder, whose setting is joined as stored.
std::wstring ProgramPathAbsoluteOf(const XtrRecord& entry, std::wstring_view setting);

// The program path as an XTR file stores it: relative to the UI-View32 folder
// when it begins with the setting (compared case-sensitively).
std::wstring ProgramPathForFileOf(const XtrRecord& entry, std::wstring_view setting);
