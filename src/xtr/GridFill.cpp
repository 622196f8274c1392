#include "xtr/GridFill.h"

#include "host/HostFolder.h"
#include "rules/ErrorTable.h"
#include "rules/GridText.h"
#include "rules/HostPaths.h"
#include "rules/Trap.h"
#include "rules/XtrFormat.h"
#include "rules/XtrTable.h"
#include "toolkit/Grid.h"
#include "xtr/Catalogue.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace {
Grid* (*catalogueGrid)() = nullptr;
void (*letMessagesRun)() = nullptr;

// The system's small warning sign: shared, loaded once and never destroyed.
HICON MissingProgramPicture() {
    static const HICON picture =
        static_cast<HICON>(::LoadImageW(nullptr, IDI_WARNING, IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                        ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    return picture;
}

bool rescanning = false;
bool rescanAgain = false;
std::uint32_t rescanCount = 0;
CataloguePlace wantedPlace; // the last place asked for

Grid* ShownIn() { return catalogueGrid != nullptr ? catalogueGrid() : nullptr; }

// The place's entry while it is listed, else its row within the list; the
// header row when the list is empty.
void PutCurrentRowOn(Grid& grid, const CataloguePlace& place) {
    const int last = grid.Rows() - 1;
    int row = place.fileName.empty() ? 0 : IndexOfFile(place.folder, place.fileName);
    if (row < 1 || row > last) {
        row = std::clamp(place.row, std::min(1, last), last);
    }
    grid.Row(row);
}
} // namespace

void ShowCatalogueIn(Grid* (*grid)(), void (*pump)()) {
    catalogueGrid = grid;
    letMessagesRun = pump;
}

CataloguePlace CurrentPlace() {
    const Grid* grid = ShownIn();
    const int row = grid != nullptr ? grid->Row() : 1;
    if (row < 1 || static_cast<size_t>(row) >= XtrTable.size()) {
        return {L"", L"", row};
    }
    const XtrRecord& entry = XtrTable[static_cast<size_t>(row)];
    return {entry.folder, entry.fileName, row};
}

void RescanAndRebuild(const CataloguePlace& place) {
    wantedPlace = place;
    if (rescanning) {
        rescanAgain = true; // merged: one more round follows the one that runs
        return;
    }
    rescanning = true;
    do {
        rescanAgain = false;
        ++rescanCount;
        ScanXTR();
        BuildGrid();
    } while (rescanAgain);
    rescanning = false;
    Grid* grid = ShownIn();
    if (grid != nullptr) {
        PutCurrentRowOn(*grid, wantedPlace);
    }
    TellFilesLeftOut(grid != nullptr ? ::GetAncestor(grid->Window(), GA_ROOT) : nullptr);
}

void RescanAndRebuild() { RescanAndRebuild(rescanning ? wantedPlace : CurrentPlace()); }

std::uint32_t RescanCount() { return rescanCount; }

std::wstring ProgramPathDisplay(std::int16_t index) { return ProgramPathDisplayOf(XtrEntry(index)); }

void BuildGrid() {
    Trap(L"Module1.BuildGrid", [] {
        Grid* shownIn = ShownIn();
        if (shownIn == nullptr) {
            return; // no main window (yet, or any more): nothing shows the catalogue
        }
        Grid& grid = *shownIn;
        const size_t upperBound = XtrTable.size() - 1;
        if (upperBound > static_cast<size_t>(std::numeric_limits<std::int16_t>::max())) {
            Raise(Err::Overflow);
        }
        const int n = static_cast<int>(upperBound);

        grid.Clear();
        grid.Busy(true);
        grid.Rows(n + 1);
        grid.Cols(6);
        grid.Visible(false);
        if (n != 0) {
            grid.ColWidth(0, 3000);
            grid.ColWidth(1, 2000);
            grid.ColWidth(4, 3000);
            grid.StretchCol(4); // a wider window shows more of the path
            for (int col = 0; col < 6; ++col) {
                grid.Text(0, col, kGridHeaders[static_cast<size_t>(col)]);
            }
            // The message loop runs between rows as often as a person could notice,
            // at most once a millisecond: under Wine every round is a trip to the
            // Wine server that costs several times the filling of a row.
            LARGE_INTEGER frequency{};
            ::QueryPerformanceFrequency(&frequency);
            const LONGLONG roundInterval = frequency.QuadPart / 1000;
            LONGLONG nextRound = 0;
            std::optional<std::wstring> setting; // read at the first program not found
            for (int r = 1; r <= n; ++r) {
                LARGE_INTEGER now{};
                ::QueryPerformanceCounter(&now);
                if (now.QuadPart >= nextRound && letMessagesRun != nullptr) {
                    letMessagesRun();
                    nextRound = now.QuadPart + roundInterval;
                }
                // Taken after the round: a command run in it may have rebuilt the table.
                const XtrRecord& entry = XtrEntry(r);
                grid.Text(r, 0, entry.title);
                grid.Text(r, 1, entry.fileName);
                grid.Text(r, 2, BoolText(entry.autoStart));
                grid.Text(r, 3, BoolText(entry.autoStop));
                grid.Text(r, 4, ProgramPathDisplay(static_cast<std::int16_t>(r)));
                if (entry.programFound) {
                    grid.CellBackColor(r, 4, kProgramFoundColor);
                } else {
                    grid.CellBackColor(r, 4, kProgramMissingColor);
                    grid.ToolTipText(kInvalidPathTip); // never cleared again during the run
                    // Not told by colour alone: a warning sign, and the path looked for under the pointer.
                    if (!setting) {
                        setting = ReadHostFolderSetting();
                    }
                    grid.CellPicture(r, 4, MissingProgramPicture());
                    grid.CellToolTipText(
                        r, 4,
                        MissingProgramTip(entry.programLook,
                                          ProgramPathAbsoluteOf(ProgramPathOf(entry), *setting)));
                }
                grid.Text(r, 5, BoolText(entry.active));
            }
        } else {
            grid.Rows(1);
            grid.Cols(1);
            grid.ColWidth(0, grid.DesignedWidth());
            grid.StretchCol(0); // as wide as the grid, whatever its size
            grid.Text(0, 0, kNoXtrFilesText);
        }
        grid.Visible(true);
        grid.Busy(false);
    });
}
