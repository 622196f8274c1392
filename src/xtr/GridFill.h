#pragma once
// Filling the main window's grid from the catalogue, and keeping the user's
// place in it across a rebuild.
#include <cstdint>
#include <string>

class Grid;

// Where the catalogue is shown: the main window hands over how to reach its
// grid (null while there is no main window), and the one round of its
// message loop that the fill lets run between rows, once at start-up.
void ShowCatalogueIn(Grid* (*grid)(), void (*pump)());

// Refills grdXTRs from XtrTable: row r shows entry r, row 0 the headers. The
// cells are written where they are: the current row does not move, except
// back to the last row when the list got shorter. Reports its own failures;
// the grid then stays hidden and busy. Without a main window it has nothing to fill.
void BuildGrid();

// Where the user's place is to be after a rebuild: the entry of the file
// folder\fileName (letter case aside) while it is listed; else the data row
// `row`, clamped to the list (so after a delete the next entry takes the place,
// or the one before at the end).
struct CataloguePlace {
    std::wstring folder;
    std::wstring fileName;
    int row = 1;
};

// The place of the grid's current row now: its entry's folder and file name, and the row.
CataloguePlace CurrentPlace();

// ScanXTR, then BuildGrid, then the current row put on place and scrolled into
// view: what ends start-up, Refresh and every command that changes files. The
// fill lets the message loop run, so a rescan can be asked for while one runs
// (F5 held down, a command chosen meanwhile): such requests are merged into
// one more round after the running one, and the place taken at the very end
// is the last one asked for.
void RescanAndRebuild(const CataloguePlace& place);
// The same, keeping the user's place: RescanAndRebuild(CurrentPlace()); while
// a rebuild runs, the place already asked for.
void RescanAndRebuild();

// How many rounds RescanAndRebuild has run in this program.
std::uint32_t RescanCount();

// The "Application Path" text of XtrTable[index].
std::wstring ProgramPathDisplay(std::int16_t index);
