#include "common/Form.h"

#include "common/Trap.h"

void ReportEscapedFailure(const wchar_t* formName, std::exception_ptr failure) noexcept {
    try {
        ReportTrapped(std::wstring(formName) + L".WindowProc", failure);
    } catch (...) {
        // Nothing is left to report with.
    }
}

void CreateFormWindow(const FormFrame& frame, WNDPROC procedure, void* self) {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = frame.classStyle;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = frame.icon;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = frame.className;
    // The class outlives any one window: registered by the first.
    if (::RegisterClassExW(&windowClass) == 0 && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        return;
    }
    const int dpi = ScreenDpi();
    RECT outer{0, 0, TwipsToPixels(frame.clientTwips.cx, dpi), TwipsToPixels(frame.clientTwips.cy, dpi)};
    ::AdjustWindowRectEx(&outer, frame.style, frame.menuBar != nullptr, frame.exStyle);
    const HWND window = ::CreateWindowExW(frame.exStyle, frame.className, L"", frame.style, CW_USEDEFAULT,
                                          CW_USEDEFAULT, outer.right - outer.left, outer.bottom - outer.top,
                                          nullptr, frame.menuBar, instance, self);
    // A window whose creation was refused takes its menu with it only when it got that far.
    if (window == nullptr && frame.menuBar != nullptr && ::IsMenu(frame.menuBar)) {
        ::DestroyMenu(frame.menuBar);
    }
}

void FocusMemory::OnActivate(HWND window, bool active, HWND fallback) {
    if (!active) {
        HWND focus = ::GetFocus();
        if (focus != nullptr && ::IsChild(window, focus)) {
            lastFocus_ = focus;
        }
        return;
    }
    const bool usable = lastFocus_ != nullptr && ::IsWindow(lastFocus_) && ::IsWindowEnabled(lastFocus_);
    HWND target = usable ? lastFocus_ : fallback;
    if (target != nullptr) {
        ::SetFocus(target);
    }
}
