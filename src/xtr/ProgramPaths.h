#pragma once
// An entry's program path, absolute and as an XTR file stores it.
#include <cstdint>
#include <string>

// The absolute path of XtrTable[index]'s program, and the form an XTR file
// stores it in (relative to the UI-View32 folder when it lies inside it). Both
// read UI-View32's folder setting afresh.
std::wstring ProgramPathAbsolute(std::int16_t index);
std::wstring ProgramPathForFile(std::int16_t index);
