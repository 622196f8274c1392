#pragma once
// The catalogue scan: XtrTable rebuilt from both folders.

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

// Lists HostFolder (active files first) and SavedXTR, reads every XTR file and
// tests whether each entry's application exists. Reports its own failures.
// The table holds at most 32,767 entries: files beyond that are left out
// (reported once), and every entry listed is still tested.
void ScanXTR();

// The scan with room for at most maxEntries entries.
void ScanCatalogue(std::size_t maxEntries);

// How many XTR files the last scan found in both folders, listed or not.
std::size_t XtrFilesFound();

// When the last scan left files out, one message says how many of how many
// are listed.
void TellFilesLeftOut(HWND owner);

// The index of the entry whose file is folder\fileName (letter case aside),
// or 0 when the table lists no such file. An index is only good until the next
// scan; the file is what a command was chosen for.
std::int16_t IndexOfFile(const std::wstring& folder, const std::wstring& fileName);
