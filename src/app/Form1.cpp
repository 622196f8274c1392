#include "app/Form1.h"

#include "diagnostics/Common.h"
#include "host/HostFolder.h"
#include "rules/AppInfo.h"
#include "rules/Trap.h"
#include "rules/resource.h"
#include "system/VersionInfo.h"
#include "xtr/GridFill.h"
#include "xtr/TemporaryFiles.h"

#include <commctrl.h>

namespace {
Form1* instance = nullptr;
} // namespace

Form1::~Form1() {
    if (window_ != nullptr) {
        ::DestroyWindow(window_);
    }
}

Form1* Form1::Instance() { return instance; }

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

void Form1::OnFinalMessage() {
    window_ = nullptr;
    ShowCatalogueIn(nullptr, nullptr);
    if (instance == this) {
        instance = nullptr;
    }
}

LRESULT Form1::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        return OnCreate() ? 0 : -1;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return 0;
    case WM_NOTIFY: {
        NMHDR& header = *reinterpret_cast<NMHDR*>(lParam);
        LRESULT result = 0;
        if (grdXTRs_.OnNotify(header, result) || OnGridKeyboard(header)) {
            return result;
        }
        return ::DefWindowProcW(window_, message, wParam, lParam);
    }
    case WM_ACTIVATE:
        // Back from a question or another window, the keyboard finds the grid where it left it.
        focus_.OnActivate(window_, LOWORD(wParam) != WA_INACTIVE, grdXTRs_.Window());
        return 0;
    case WM_CONTEXTMENU:
        // Only the keyboard's request (no position): a right press has opened the menu already.
        if (reinterpret_cast<HWND>(wParam) == grdXTRs_.Window() && lParam == -1) {
            OpenContextMenuFromKeyboard();
            return 0;
        }
        return ::DefWindowProcW(window_, message, wParam, lParam);
    case WM_DROPFILES:
        Form_DragDrop(reinterpret_cast<HDROP>(wParam));
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcW(window_, message, wParam, lParam);
    }
}

bool Form1::OnCreate() {
    instance = this;
    popupMenus_.reset(::LoadMenuW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_POPUP1)));
    accelerators_ = ::LoadAcceleratorsW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_ACCELERATORS));
    CreateControls();
    if (!Form_Load()) {
        instance = nullptr;
        return false;
    }
    return true;
}

std::vector<FormControl> Form1::Controls() {
    return {
        {IDC_LABEL1,
         WC_STATICW,
         L"Manage XTR files",
         SS_LEFT,
         0,
         {120, 120, 3135, 495},
         FormFont{L"MS Sans Serif", 1200, FW_NORMAL},
         true},
        // The grid, made by the grid control itself.
        {IDC_GRDXTRS, nullptr, L"", 0, 0, {120, 720, 11295, 5055}, FormFont{}, false},
    };
}

SIZE Form1::ClientTwips() { return {11550, 6045}; }

void Form1::CreateControls() {
    const int dpi = ScreenDpi();
    const std::vector<FormControl> controls = Controls();
    const FormLayout layout = LayOutForm(controls, ClientTwips(), dpi);
    label1_ = CreateFormControls(window_, controls, layout, fonts_, dpi)[0];
    SetClientSize(window_, layout.client);
    grdXTRs_.Create(window_, IDC_GRDXTRS, layout.placements[1], fonts_.Get(controls[1].font, dpi));
    grdXTRs_.MouseDown = [this](int button, POINT screenPoint) { grdXTRs_MouseDown(button, screenPoint); };
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
        // What an earlier run left half done goes first, so that the scan sees its result.
        TidyTemporaryFiles(HostFolder);
        TidyTemporaryFiles(SavedXtrFolder());
        ShowCatalogueIn(&grdXTRs_, &Form1::DoEvents);
        RescanAndRebuild();
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
        if (instance == nullptr || !instance->PreTranslateMessage(message)) {
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
