#pragma once
// The catalogue scan: XtrTable rebuilt from both folders.

#include <cstdint>
#include <string>

// Lists HostFolder (active files first) and SavedXTR, reads every XTR file and
// tests whether each entry's application exists. Reports its own failures.
void ScanXTR();

// The index of the entry whose file is folder\fileName (letter case aside),
// or 0 when the table lists no such file. An index is only good until the next
// scan; the file is what a command was chosen for.
std::int16_t IndexOfFile(const std::wstring& folder, const std::wstring& fileName);
