#include "app/Form1.h"

#include "diagnostics/Common.h"
#include "host/HostFolder.h"
#include "rules/AppInfo.h"
#include "rules/Trap.h"
#include "rules/resource.h"
#include "system/VersionInfo.h"
#include "toolkit/Ui.h"
#include "rules/GridText.h"
#include "rules/XtrFormat.h"
#include "xtr/FileChange.h"

#include <commctrl.h>

#include <algorithm>

bool Form1::Create(HINSTANCE hinstance) {
    FormFrame frame;
    frame.className = L"QuillonForm1";
    frame.icon = ::LoadIconW(hinstance, MAKEINTRESOURCEW(IDI_QUILLON));
    frame.classStyle = CS_HREDRAW | CS_VREDRAW;
    frame.style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    frame.exStyle = WS_EX_ACCEPTFILES; // files dropped from Explorer (DragAcceptFiles only sets this)
    frame.clientTwips = ClientTwips();
    frame.menuBar = ::LoadMenuW(hinstance, MAKEINTRESOURCEW(IDR_MAINMENU));
    return CreateForm(frame);
}

std::optional<LRESULT> Form1::OnNotify(NMHDR& header) {
    LRESULT result = 0;
    if (grdXTRs_.OnNotify(header, result) || OnGridKeyboard(header)) {
        return result;
    }
    return std::nullopt;
}

LRESULT Form1::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CONTEXTMENU:
        // Only the keyboard's request (no position): a right press has opened the menu already.
        if (reinterpret_cast<HWND>(wParam) == grdXTRs_.Window() && lParam == -1) {
            OpenContextMenuFromKeyboard();
            return 0;
        }
        break;
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED) {
            LayOutGrid(LOWORD(lParam), HIWORD(lParam));
        }
        return 0;
    case WM_GETMINMAXINFO:
        KeepDesignedSize(*reinterpret_cast<MINMAXINFO*>(lParam));
        return 0;
    case WM_DROPFILES:
        Form_DragDrop(reinterpret_cast<HDROP>(wParam));
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

std::vector<FormControl> Form1::Controls() {
    return {
        {kLabel1,
         WC_STATICW,
         L"Manage XTR files",
         SS_LEFT,
         0,
         {120, 120, 3135, 495},
         FormFont{L"MS Sans Serif", 1200, FW_NORMAL},
         true},
        // The grid, made by the grid control itself.
        {kGrdXTRs, nullptr, L"", 0, 0, {120, 720, 11295, 5055}, FormFont{}, false},
    };
}

SIZE Form1::ClientTwips() { return {11550, 6045}; }

bool Form1::OnCreate(const FormLayout& layout, int dpi) {
    popupMenus_.reset(::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_POPUP1)));
    accelerators_ = ::LoadAcceleratorsW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_ACCELERATORS));
    if (!grdXTRs_.Create(window_, kGrdXTRs, layout.placements[1], fonts_.Get(FormFont{}, dpi))) {
        ReportWindowNotMade(L"Form1", ::GetLastError());
        return false;
    }
    const RECT& grid = layout.placements[1];
    gridMargins_ = {grid.left, grid.top, layout.client.cx - grid.right, layout.client.cy - grid.bottom};
    RECT frame{};
    ::GetWindowRect(window_, &frame);
    designedSize_ = {frame.right - frame.left, frame.bottom - frame.top};
    grdXTRs_.MouseDown = [this](int button, POINT screenPoint) { grdXTRs_MouseDown(button, screenPoint); };
    grdXTRs_.CellAt = [this](int row, int col) { return CellAt(row, col); };
    form2_.Applied = [this](const CataloguePlace& place) { Rescan(place); };
    return Form_Load();
}

void Form1::LayOutGrid(int clientWidth, int clientHeight) const {
    if (grdXTRs_.Window() == nullptr) {
        return; // the frame is sized before the grid is made
    }
    const RECT& margins = gridMargins_;
    ::MoveWindow(grdXTRs_.Window(), margins.left, margins.top,
                 std::max(0, clientWidth - static_cast<int>(margins.left + margins.right)),
                 std::max(0, clientHeight - static_cast<int>(margins.top + margins.bottom)), TRUE);
}

void Form1::KeepDesignedSize(MINMAXINFO& limits) const {
    if (designedSize_.cx == 0) {
        return; // not known yet: the window is being made
    }
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!::GetMonitorInfoW(::MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST), &monitor)) {
        return;
    }
    const RECT& work = monitor.rcWork;
    limits.ptMinTrackSize.x = std::min(designedSize_.cx, work.right - work.left);
    limits.ptMinTrackSize.y = std::min(designedSize_.cy, work.bottom - work.top);
}

bool Form1::Form_Load() {
    Common::Initialize();
    bool keepRunning = true;
    Trap(L"Form1.Form_Load", [&] {
        ::SetWindowTextW(window_, AppTitle.c_str());
        if (!CheckEnv()) {
            keepRunning = false;
            return;
        }
        // What an earlier run left half done goes into the Recycle Bin, never into
        // place; said once. What the bin cannot take is asked about at every start.
        const Tidied tidied = TidyLeftovers();
        for (const Leftover& stuck : tidied.stuck) {
            if (Ui::ShowMessage(window_,
                                L"Quillon found unsaved work of an earlier run, " + stuck.known +
                                    L", that cannot go to the Recycle Bin. Delete it for good?",
                                AppTitle, MB_YESNO | MB_DEFBUTTON2 | MB_ICONQUESTION) == IDYES) {
                DeleteLeftover(stuck.path);
            }
        }
        if (!tidied.binned.empty()) {
            std::wstring names;
            for (const std::wstring& name : tidied.binned) {
                names += (names.empty() ? L"" : L", ") + name;
            }
            Ui::ShowMessage(
                window_,
                L"Quillon found unsaved work of an earlier run and put it into the Recycle Bin: " + names +
                    L".",
                AppTitle, MB_OK | MB_ICONINFORMATION);
        }
        Rescan(CataloguePlace{}); // the first row
    });
    return keepRunning;
}

bool Form1::PreTranslateMessage(MSG& message) const {
    if (window_ == nullptr) {
        return false;
    }
    HWND root = ::GetAncestor(message.hwnd, GA_ROOT);
    if (root == window_) {
        grdXTRs_.RelayToToolTip(message);
        return accelerators_ != nullptr && ::TranslateAcceleratorW(window_, accelerators_, &message) != 0;
    }
    // Tab, Enter and Escape in the program's other windows.
    return root != nullptr && ::IsDialogMessageW(root, &message) != 0;
}

int Form1::RunMessageLoop() {
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!PreTranslateMessage(message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    return static_cast<int>(message.wParam);
}

namespace {
// The system's small warning sign: shared, loaded once and never destroyed.
HICON MissingProgramPicture() {
    static const HICON picture =
        static_cast<HICON>(::LoadImageW(nullptr, IDI_WARNING, IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                        ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    return picture;
}
} // namespace

// Grid row r shows entry r. A program not found is not told by colour alone:
// a warning sign, and the path looked for under the pointer.
GridCell Form1::CellAt(int row, int col) const {
    const XtrRecord& entry = catalogue_.XtrTable[static_cast<size_t>(row)];
    GridCell cell;
    switch (col) {
    case 0:
        cell.text = entry.title;
        return cell;
    case 1:
        cell.text = entry.fileName;
        return cell;
    case 2:
    case 3:
    case 5:
        cell.text = BoolText(col == 2 ? entry.autoStart : col == 3 ? entry.autoStop : entry.active);
        return cell;
    default:
        break;
    }
    cell.text = ProgramPathDisplayOf(entry);
    cell.back = entry.programFound ? kProgramFoundColor : kProgramMissingColor;
    if (!entry.programFound) {
        cell.picture = MissingProgramPicture();
        cell.toolTip = MissingProgramTip(entry.programLook, entry.programAbsolute);
    }
    return cell;
}

// The header row and a row per entry; with none, one cell as wide as the grid
// says so. The tooltip of the whole grid, once set, stays for the run.
void Form1::ShowCatalogue() {
    if (catalogue_.XtrCount == 0) {
        grdXTRs_.Show({{kNoXtrFilesText, GridColumn::kListWide}}, 0, -1);
        return;
    }
    constexpr int kAsHeader = GridColumn::kHeaderWide;
    const int twips[6] = {3000, 2000, kAsHeader, kAsHeader, 3000, kAsHeader};
    std::vector<GridColumn> columns;
    for (size_t col = 0; col < 6; ++col) {
        columns.push_back({kGridHeaders[col], twips[col]});
    }
    grdXTRs_.Show(std::move(columns), catalogue_.XtrCount, 4); // a wider window shows more of the path
    for (const XtrRecord& entry : catalogue_.XtrTable) {
        if (&entry != &catalogue_.XtrTable.front() && !entry.programFound) {
            grdXTRs_.ToolTipText(kInvalidPathTip);
            break;
        }
    }
}

void Form1::Rescan(CataloguePlace place) {
    const CataloguePlace now = CurrentPlace();
    if (place.row == 0) {
        place.row = now.row;
    }
    // The scan, not the grid, takes time (servers, many files): the busy pointer shows it.
    ++rescans_;
    const HCURSOR pointer = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    XtrCatalogue scanned = ScanXTR(ReadHostFolderSetting(), serverLooks_);
    ::SetCursor(pointer);
    Trap(L"Module1.BuildGrid", [&] {
        catalogue_ = std::move(scanned);
        ShowCatalogue();
        const int last = catalogue_.XtrCount;
        int row = place.fileName.empty() ? 0 : catalogue_.IndexOfFile(place.folder, place.fileName);
        if (row < 1) {
            row = std::clamp(place.row, std::min(1, last), last);
        }
        grdXTRs_.Row(row);
    });
    TellFilesLeftOut(window_, catalogue_);
}

CataloguePlace Form1::CurrentPlace() const {
    const int row = grdXTRs_.Row();
    if (row < 1 || row > catalogue_.XtrCount) {
        return {L"", L"", row};
    }
    const XtrRecord& entry = catalogue_.XtrTable[static_cast<size_t>(row)];
    return {entry.folder, entry.fileName, row};
}
