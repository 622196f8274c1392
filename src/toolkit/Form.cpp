#include "toolkit/Form.h"

#include "rules/AppInfo.h"
#include "rules/ErrorTable.h"
#include "rules/Trap.h"
#include "toolkit/Ui.h"

#include <algorithm>

void ReportEscapedFailure(const wchar_t* formName, std::exception_ptr failure) noexcept {
    try {
        ReportTrapped(std::wstring(formName) + L".WindowProc", failure);
    } catch (...) {
        // Nothing is left to report with.
    }
}

unsigned long CreateFormWindow(const FormFrame& frame, WNDPROC procedure, void* self) {
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
        const DWORD code = ::GetLastError();
        if (frame.menuBar != nullptr) {
            ::DestroyMenu(frame.menuBar);
        }
        return code;
    }
    const int dpi = ScreenDpi();
    RECT outer{0, 0, TwipsToPixels(frame.clientTwips.cx, dpi), TwipsToPixels(frame.clientTwips.cy, dpi)};
    ::AdjustWindowRectEx(&outer, frame.style, frame.menuBar != nullptr, frame.exStyle);
    const HWND window = ::CreateWindowExW(frame.exStyle, frame.className, L"", frame.style, CW_USEDEFAULT,
                                          CW_USEDEFAULT, outer.right - outer.left, outer.bottom - outer.top,
                                          nullptr, frame.menuBar, instance, self);
    if (window != nullptr) {
        return 0;
    }
    const DWORD code = ::GetLastError();
    // A window whose creation was refused takes its menu with it only when it got that far.
    if (frame.menuBar != nullptr && ::IsMenu(frame.menuBar)) {
        ::DestroyMenu(frame.menuBar);
    }
    return code;
}

void ReportWindowNotMade(const wchar_t* formName, unsigned long code) noexcept {
    try {
        const int number = code != 0 ? ErrorNumberFromSystemCode(code) : Err::OutOfMemory;
        ReportError(ToErrorNumber16(number), std::wstring(formName) + L".Form_Load");
        Ui::ShowMessage(nullptr,
                        L"Quillon could not open one of its windows: " +
                            std::wstring(ErrorDescription(number)) + L".",
                        AppTitle.empty() ? L"Quillon" : AppTitle, MB_OK | MB_ICONSTOP);
    } catch (...) {
        ReportTrapped(formName, std::current_exception());
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

void MoveDialogFocus(HWND window, WPARAM wParam, LPARAM lParam) {
    HWND target =
        lParam != 0 ? reinterpret_cast<HWND>(wParam) : ::GetNextDlgTabItem(window, ::GetFocus(), wParam != 0);
    if (target == nullptr || !::IsChild(window, target)) {
        return;
    }
    if ((::SendMessageW(target, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) != 0) {
        ::SendMessageW(target, EM_SETSEL, 0, -1);
    }
    ::SetFocus(target);
}

namespace {
// Position and size each converted on their own, as the forms always have been.
RECT Pixels(const TwipsBox& twips, int dpi) {
    const int left = TwipsToPixels(twips.left, dpi);
    const int top = TwipsToPixels(twips.top, dpi);
    return {left, top, left + TwipsToPixels(twips.width, dpi), top + TwipsToPixels(twips.height, dpi)};
}
} // namespace

int LabelTextHeight(const std::wstring& text, const FormFont& font, int dpi, int width) {
    if (text.empty()) {
        return 0;
    }
    UniqueGdiObject made(CreateFormFont(font.face, font.hundredthPoints, font.weight, dpi));
    // As a static label draws it: words wrapped at its width.
    const RECT rect =
        MeasuredText(text, static_cast<HFONT>(made.get()), DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX, width);
    return rect.bottom - rect.top;
}

FormLayout LayOutForm(const std::vector<FormControl>& controls, SIZE clientTwips, int dpi) {
    FormLayout layout;
    layout.client = {TwipsToPixels(clientTwips.cx, dpi), TwipsToPixels(clientTwips.cy, dpi)};
    for (const FormControl& control : controls) {
        layout.placements.push_back(Pixels(control.twips, dpi));
    }
    // Top to bottom, so that a label moved down by one above it grows from where it now stands.
    std::vector<size_t> order(controls.size());
    for (size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return controls[a].twips.top < controls[b].twips.top; });
    for (size_t i : order) {
        if (!controls[i].label) {
            continue;
        }
        RECT& label = layout.placements[i];
        const int needed = LabelTextHeight(controls[i].text, controls[i].font, dpi, label.right - label.left);
        const int growth = needed - (label.bottom - label.top);
        if (growth <= 0) {
            continue;
        }
        for (size_t j = 0; j < controls.size(); ++j) {
            RECT& other = layout.placements[j];
            if (j != i && other.top >= label.bottom) {
                other.top += growth;
                other.bottom += growth;
            }
        }
        label.bottom += growth;
        layout.client.cy += growth;
    }
    return layout;
}

HFONT FormFonts::Get(const FormFont& font, int dpi) {
    for (const Made& entry : made_) {
        if (entry.dpi == dpi && entry.font.hundredthPoints == font.hundredthPoints &&
            entry.font.weight == font.weight && std::wstring_view(entry.font.face) == font.face) {
            return static_cast<HFONT>(entry.object.get());
        }
    }
    made_.push_back(
        {font, dpi, UniqueGdiObject(CreateFormFont(font.face, font.hundredthPoints, font.weight, dpi))});
    return static_cast<HFONT>(made_.back().object.get());
}

std::vector<HWND> CreateFormControls(HWND parent, const std::vector<FormControl>& controls,
                                     const FormLayout& layout, FormFonts& fonts, int dpi) {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    std::vector<HWND> created;
    for (size_t i = 0; i < controls.size(); ++i) {
        const FormControl& control = controls[i];
        if (control.className == nullptr) {
            created.push_back(nullptr);
            continue;
        }
        const RECT& at = layout.placements[i];
        HWND window = ::CreateWindowExW(
            control.exStyle, control.className, control.text.c_str(), WS_CHILD | WS_VISIBLE | control.style,
            at.left, at.top, at.right - at.left, at.bottom - at.top, parent,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), instance, nullptr);
        if (window != nullptr) {
            ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(fonts.Get(control.font, dpi)), FALSE);
        }
        created.push_back(window);
    }
    return created;
}

void SetClientSize(HWND window, SIZE client) {
    RECT current;
    ::GetClientRect(window, &current);
    if (current.right == client.cx && current.bottom == client.cy) {
        return;
    }
    RECT outer{0, 0, client.cx, client.cy};
    ::AdjustWindowRectEx(&outer, static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_STYLE)),
                         ::GetMenu(window) != nullptr,
                         static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_EXSTYLE)));
    ::SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}
