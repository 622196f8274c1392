#include "app/Form1.h"

#include "about/frm_About.h"
#include "app/AppInfo.h"
#include "app/resource.h"
#include "common/Common.h"
#include "common/Trap.h"
#include "host/HostFolder.h"
#include "xtr/GridFill.h"
#include "xtr/TemporaryFiles.h"

#include <commctrl.h>

namespace {
constexpr wchar_t kClassName[] = L"QuillonForm1";
Form1* instance = nullptr;

BOOL CALLBACK DestroyThreadWindow(HWND window, LPARAM except) {
    if (window != reinterpret_cast<HWND>(except)) {
        ::DestroyWindow(window);
    }
    return TRUE;
}
} // namespace

Form1::~Form1() {
    if (window_ != nullptr) {
        ::DestroyWindow(window_);
    }
}

Form1* Form1::Instance() { return instance; }

HMENU Form1::Popup1() const { return ::GetSubMenu(popupMenus_.get(), 0); }

bool Form1::Create(HINSTANCE hinstance) {
    static const ATOM windowClass = [hinstance] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = &WindowProcFor<Form1>;
        wc.hInstance = hinstance;
        wc.hIcon = ::LoadIconW(hinstance, MAKEINTRESOURCEW(IDI_QUILLON));
        wc.hIconSm = static_cast<HICON>(::LoadImageW(hinstance, MAKEINTRESOURCEW(IDI_QUILLON), IMAGE_ICON,
                                                     ::GetSystemMetrics(SM_CXSMICON),
                                                     ::GetSystemMetrics(SM_CYSMICON), 0));
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kClassName;
        return ::RegisterClassExW(&wc);
    }();
    if (windowClass == 0) {
        return false;
    }

    const int dpi = ScreenDpi();
    RECT frame{0, 0, TwipsToPixels(11550, dpi), TwipsToPixels(6045, dpi)};
    ::AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, TRUE, 0);
    HMENU menuBar = ::LoadMenuW(hinstance, MAKEINTRESOURCEW(IDR_MAINMENU));
    // Files dropped from Explorer are taken (DragAcceptFiles would only set this style).
    ::CreateWindowExW(WS_EX_ACCEPTFILES, kClassName, L"", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                      CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
                      nullptr, menuBar, hinstance, this);
    // A window whose creation was refused takes its menu with it only when it got that far.
    if (window_ == nullptr && menuBar != nullptr && ::IsMenu(menuBar)) {
        ::DestroyMenu(menuBar);
    }
    return window_ != nullptr;
}

void Form1::OnFinalMessage() {
    window_ = nullptr;
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

void Form1::CreateControls() {
    const int dpi = ScreenDpi();
    auto px = [dpi](int twips) { return TwipsToPixels(twips, dpi); };
    HINSTANCE hinstance = ::GetModuleHandleW(nullptr);

    labelFont_.reset(CreateFormFont(L"MS Sans Serif", 1200, FW_NORMAL, dpi));
    gridFont_.reset(CreateFormFont(L"MS Sans Serif", 825, FW_NORMAL, dpi));

    label1_ = ::CreateWindowExW(
        0, WC_STATICW, L"Manage XTR files", WS_CHILD | WS_VISIBLE | SS_LEFT, px(120), px(120), px(3135),
        px(495), window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_LABEL1)), hinstance, nullptr);
    ::SendMessageW(label1_, WM_SETFONT, reinterpret_cast<WPARAM>(labelFont_.get()), FALSE);

    const RECT gridPlacement{px(120), px(720), px(120) + px(11295), px(720) + px(5055)};
    grdXTRs_.Create(window_, IDC_GRDXTRS, gridPlacement, static_cast<HFONT>(gridFont_.get()));
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

// Ends the program at once: every window closes, nothing is asked or saved.
void Form1::mnuFileExit_Click() {
    ::EnumThreadWindows(::GetCurrentThreadId(), &DestroyThreadWindow, reinterpret_cast<LPARAM>(window_));
    ::DestroyWindow(window_);
}

// Modeless and without owner: the main window stays usable while it is open.
void Form1::mnuHelpAbout_Click() { frm_About::Show(); }
