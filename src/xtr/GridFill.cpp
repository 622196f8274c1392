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

Grid* ShownIn() { return catalogueGrid != nullptr ? catalogueGrid() : nullptr; }
} // namespace

void ShowCatalogueIn(Grid* (*grid)(), void (*pump)()) {
    catalogueGrid = grid;
    letMessagesRun = pump;
}

void RescanAndRebuild() {
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
    TellFilesLeftOut(grid != nullptr ? ::GetAncestor(grid->Window(), GA_ROOT) : nullptr);
}

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
        grid.MousePointer(Grid::kPointerHourglass);
        grid.Rows(n + 1);
        grid.Cols(6);
        grid.ScrollBars(Grid::kScrollBarsBoth);
        grid.BackColor(kWhite);
        grid.Visible(false);
        if (n != 0) {
            grid.FixedRows(1);
            grid.FixedCols(0);
            grid.ColWidth(0, 3000);
            grid.ColWidth(1, 2000);
            grid.ColWidth(4, 3000);
            grid.Row(0);
            for (int col = 0; col < 6; ++col) {
                grid.Col(col);
                grid.Text(kGridHeaders[static_cast<size_t>(col)]);
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
                grid.Row(r);
                LARGE_INTEGER now{};
                ::QueryPerformanceCounter(&now);
                if (now.QuadPart >= nextRound && letMessagesRun != nullptr) {
                    letMessagesRun();
                    nextRound = now.QuadPart + roundInterval;
                }
                // Taken after the round: a command run in it may have rebuilt the table.
                const XtrRecord& entry = XtrEntry(r);
                grid.Col(0);
                grid.Text(entry.title);
                grid.Col(1);
                grid.Text(entry.fileName);
                grid.Col(2);
                grid.Text(BoolText(entry.autoStart));
                grid.Col(3);
                grid.Text(BoolText(entry.autoStop));
                grid.Col(4);
                grid.Text(ProgramPathDisplay(static_cast<std::int16_t>(r)));
                if (entry.programFound) {
                    grid.CellBackColor(kProgramFoundColor);
                } else {
                    grid.CellBackColor(kProgramMissingColor);
                    grid.ToolTipText(kInvalidPathTip); // never cleared again during the run
                    // Not told by colour alone: a warning sign, and the path looked for under the pointer.
                    if (!setting) {
                        setting = ReadHostFolderSetting();
                    }
                    grid.CellPicture(MissingProgramPicture());
                    grid.CellToolTipText(kProgramNotFoundTip +
                                         ProgramPathAbsoluteOf(ProgramPathOf(entry), *setting) +
                                         (entry.serverSilent ? kServerSilentTip : L""));
                }
                grid.Col(5);
                grid.Text(BoolText(entry.active));
            }
        } else {
            grid.BackColor(kWhite);
            grid.Rows(1);
            grid.Cols(1);
            grid.ColWidth(0, grid.Width());
            grid.Row(0);
            grid.Col(0);
            grid.Text(kNoXtrFilesText);
        }
        grid.Visible(true);
        grid.MousePointer(Grid::kPointerDefault);
    });
}
