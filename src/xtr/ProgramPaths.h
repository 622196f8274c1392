#pragma once
// An entry's program path, absolute and as an XTR file stores it.
#include "rules/XtrRecord.h"

#include <string>
#include <string_view>

// The absolute path of the entry's program, and the form an XTR file stores it
// in (relative to the UI-View32 folder when it lies inside it). setting is
// UI-View32's folder setting as stored, read once by the scan or the save that asks.
std::wstring ProgramPathAbsolute(const XtrRecord& entry, std::wstring_view setting);
std::wstring ProgramPathForFile(const XtrRecord& entry, std::wstring_view setting);
