#pragma once
// The program-wide catalogue of XTR files.
#include "rules/XtrRecord.h"

#include <cstdint>
#include <vector>

// Element 0 is a blank record; the entries are 1 to XtrCount, active files first.
extern std::vector<XtrRecord> XtrTable;
extern std::int16_t XtrCount;
// The entry the user works on; -1 while the editor creates a new file.
extern std::int16_t CurrentIndex;
// The entry as the editor loaded it, before any change.
extern XtrRecord OldRecord;

// The element at index; raises "Subscript out of range" outside the table.
XtrRecord& XtrEntry(int index);
