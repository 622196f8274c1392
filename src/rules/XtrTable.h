#pragma once
// The program-wide catalogue of XTR files.
#include "rules/XtrRecord.h"

#include <cstdint>
#include <vector>

// Element 0 is a blank record; the entries are 1 to XtrCount, active files first.
// Only the scan writes it; the grid fill and the windows read it. An index is
// good until the next scan.
extern std::vector<XtrRecord> XtrTable;
extern std::int16_t XtrCount;

// The element at index; raises "Subscript out of range" outside the table.
XtrRecord& XtrEntry(int index);
