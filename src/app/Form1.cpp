#include "app/Form1.h"

#include "diagnostics/Common.h"
#include "host/HostFolder.h"
#include "rules/AppInfo.h"
#include "rules/Trap.h"
#include "rules/resource.h"
#include "system/OwnFiles.h"
#include "rules/GridText.h"
#include "rules/XtrFormat.h"
#include "xtr/EntryChanges.h"

#include <commctrl.h>

#include <algorithm>

bool Form1::Create(HINSTANCE hinstance) {
    return CreateForm({.className = L"QuillonForm1",
                       .icon = ::LoadIconW(hinstance, MAKEINTRESOURCEW(IDI_QUILLON)),
                       .classStyle = CS_HREDRAW | CS_VREDRAW,
                       .style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                       // Files dropped from Explorer (DragAcceptFiles only sets this).
                       .exStyle = WS_EX_ACCEPTFILES,
                       .menuBar = ::LoadMenuW(hinstance, MAKEINTRESOURCEW(IDR_MAINMENU))});
}

LRESULT Form1::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CONTEXTMENU:
        // Only the keyboard's request (no position): a right press has opened
        // the menu already. The context-menu key and Shift+F10 open it for the
        // current row, below its first cell; with no row, below the header.
        if (reinterpret_cast<HWND>(wParam) == grdXTRs_.Window() && lParam == -1) {
            RECT cell{};
            if (grdXTRs_.Row() == 0 ||
                !ListView_GetItemRect(grdXTRs_.Window(), grdXTRs_.Row() - 1, &cell, LVIR_LABEL)) {
                ::GetClientRect(ListView_GetHeader(grdXTRs_.Window()), &cell);
            }
            POINT point{cell.left, cell.bottom};
            ::ClientToScreen(grdXTRs_.Window(), &point);
            grdXTRs_MouseDown(kRightButton, point);
            return 0;
        }
        break;
    case WM_SIZE:
        // The grid fills the client area but for its designed margins. The
        // frame is sized before the grid is made.
        if (wParam != SIZE_MINIMIZED && grdXTRs_.Window() != nullptr) {
            const RECT& margins = gridMargins_;
            Logged(::MoveWindow(grdXTRs_.Window(), margins.left, margins.top,
                                std::max(0, LOWORD(lParam) - static_cast<int>(margins.left + margins.right)),
                                std::max(0, HIWORD(lParam) - static_cast<int>(margins.top + margins.bottom)),
                                TRUE) != FALSE,
                   L"Form1.Form_Resize");
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
        {.id = kLabel1,
         .className = WC_STATICW,
         .text = L"Manage XTR files",
         .style = SS_LEFT,
         .twips = {120, 120, 3135, 495},
         .font = {L"MS Sans Serif", 1200, FW_NORMAL},
         .label = true},
        // The grid, made by the grid control itself.
        {.id = kGrdXTRs, .text = L"", .twips = {120, 720, 11295, 5055}, .font = {}},
    };
}

bool Form1::OnCreate(const FormLayout& layout, int dpi) {
    popupMenus_.reset(::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_POPUP1)));
    accelerators_ = ::LoadAcceleratorsW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_ACCELERATORS));
    if (!grdXTRs_.Create(window_, kGrdXTRs, layout.placements[1], fonts_.Get(FormFont{}, dpi))) {
        ReportWindowNotMade(kFormName, ::GetLastError());
        return false;
    }
    const RECT& grid = layout.placements[1];
    gridMargins_ = {grid.left, grid.top, layout.client.cx - grid.right, layout.client.cy - grid.bottom};
    RECT frame{};
    ::GetWindowRect(window_, &frame);
    designedSize_ = {frame.right - frame.left, frame.bottom - frame.top};
    grdXTRs_.MouseDown = [this](int button, POINT screenPoint) { grdXTRs_MouseDown(button, screenPoint); };
    grdXTRs_.CellSource = [this](int row, int col) { return CellAt(row, col); };
    form2_.Applied = [this](const CataloguePlace& place) { Rescan(place); };
    return Form_Load();
}

void Form1::KeepDesignedSize(MINMAXINFO& limits) const {
    if (designedSize_.cx == 0) {
        return; // not known yet: the window is being made
    }
    MONITORINFO monitor{sizeof(monitor), {}, {}, 0};
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
        TidyLeftoversAndTell(window_);
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

// Grid row r shows entry r. A program not found is not told by colour alone:
// a warning sign, and the path looked for under the pointer.
GridCell Form1::CellAt(int row, int col) const {
    const XtrRecord& entry = catalogue_.XtrTable[static_cast<size_t>(row)];
    GridCell cell;
    if (col < 2) {
        cell.text = col == 0 ? entry.title : entry.fileName;
        return cell;
    }
    if (col != 4) {
        cell.text = BoolText(col == 2 ? entry.autoStart : col == 3 ? entry.autoStop : entry.active);
        return cell;
    }
    cell.text = ProgramPathDisplayOf(entry);
    cell.back = entry.programFound ? kProgramFoundColor : kProgramMissingColor;
    if (!entry.programFound) {
        // The system's small warning sign: shared, loaded once and never destroyed.
        static const HICON picture =
            static_cast<HICON>(::LoadImageW(nullptr, IDI_WARNING, IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                            ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
        cell.picture = picture;
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
    if (std::any_of(catalogue_.XtrTable.begin() + 1, catalogue_.XtrTable.end(),
                    [](const XtrRecord& entry) { return !entry.programFound; })) {
        grdXTRs_.ToolTipText(kInvalidPathTip);
    }
}

void Form1::Rescan(CataloguePlace place) {
    if (place.row == 0) {
        place.row = grdXTRs_.Row();
    }
    ++rescans_;
    // The scan, not the grid, takes time (servers, many files): the busy pointer shows it.
    XtrCatalogue scanned = [this] {
        const struct BusyPointer {
            HCURSOR before = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
            ~BusyPointer() { ::SetCursor(before); }
        } busy;
        return ScanXTR(ReadHostFolderSetting(), serverLooks_);
    }();
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
