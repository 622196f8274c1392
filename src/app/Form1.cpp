#include "app/Form1.h"

#include "diagnostics/Common.h"
#include "host/HostFolder.h"
#include "rules/AppInfo.h"
#include "rules/Trap.h"
#include "rules/resource.h"
#include "system/VersionInfo.h"
#include "toolkit/Ui.h"
#include "xtr/GridFill.h"
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
        SetIdentityTexts(ReadProgramVersion());
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
        ShowCatalogueIn(
            [] {
                Form1* main = Instance();
                return main != nullptr ? &main->grdXTRs_ : nullptr;
            },
            &Form1::DoEvents);
        RescanAndRebuild(CataloguePlace{}); // the first row
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

// One round of the message loop: whatever is pending (a repaint, a command the
// user chose) runs now. An empty queue costs one PeekMessage.
void Form1::DoEvents() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(message.wParam)); // the main loop must still see it
            return;
        }
        if (Instance() == nullptr || !Instance()->PreTranslateMessage(message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
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
