#pragma once
// Filling the main window's grid from the catalogue.
#include <cstdint>
#include <string>

class Grid;

// Where the catalogue is shown: the main window hands over how to reach its
// grid (null while there is no main window), and the one round of its
// message loop that the fill lets run between rows, once at start-up.
void ShowCatalogueIn(Grid* (*grid)(), void (*pump)());

// Refills grdXTRs from XtrTable: row r shows entry r, row 0 the headers.
// Reports its own failures; the grid then stays hidden and busy. Without a
// main window it has nothing to fill.
void BuildGrid();

// ScanXTR, then BuildGrid: what ends start-up, Refresh and every command that
// changes files. The fill lets the message loop run, so a rescan can be asked
// for while one runs (F5 held down, a command chosen meanwhile): such requests
// are merged into one more round after the running one.
void RescanAndRebuild();

// How many rounds RescanAndRebuild has run in this program.
std::uint32_t RescanCount();

// The "Application Path" text of XtrTable[index].
std::wstring ProgramPathDisplay(std::int16_t index);
