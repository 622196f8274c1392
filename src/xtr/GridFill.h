#pragma once
// Filling the main window's grid from the catalogue.
#include <cstdint>
#include <string>

// Refills grdXTRs from XtrTable: row r shows entry r, row 0 the headers.
// Reports its own failures; the grid then stays hidden and busy.
void BuildGrid();

// The "Application Path" text of XtrTable[index].
std::wstring ProgramPathDisplay(std::int16_t index);
