#include "toolkit/Form.h"

#include "rules/AppInfo.h"
#include "rules/ErrorTable.h"
#include "rules/Trap.h"
#include "system/OwnFiles.h"
#include "toolkit/Ui.h"

#include <algorithm>
#include <numeric>

int TwipsToPixels(int twips, int dpi) { return ::MulDiv(twips, dpi, 1440); }

int ScreenDpi() {
    const UniqueScreenDC screen(::GetDC(nullptr));
    const int dpi = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : 96;
}

HFONT CreateFormFont(const FormFont& font, int dpi) {
    LOGFONTW made{};
    made.lfHeight = -::MulDiv(font.hundredthPoints, dpi, 7200);
    made.lfWeight = font.weight;
    made.lfCharSet = DEFAULT_CHARSET;
    made.lfQuality = DEFAULT_QUALITY;
    ::lstrcpynW(made.lfFaceName, font.face, LF_FACESIZE);
    return ::CreateFontIndirectW(&made);
}

RECT MeasuredText(std::wstring_view text, HFONT font, UINT format, int width) {
    RECT rect{0, 0, width, 0};
    const UniqueMemoryDC dc(::CreateCompatibleDC(nullptr));
    if (!dc) {
        return rect;
    }
    // The font goes back out before the DC goes, so that both can be freed.
    const SavedDC saved(dc.get());
    ::SelectObject(dc.get(), font);
    ::DrawTextW(dc.get(), text.data(), static_cast<int>(text.size()), &rect, DT_CALCRECT | format);
    return rect;
}

namespace {
// The size of a frame of that style around a client area of that size. A
// frame the system cannot measure is made as large as its client area: the
// window is then misplaced, and the log says why.
SIZE FrameSize(SIZE client, DWORD style, bool menuBar, DWORD exStyle) {
    RECT outer{0, 0, client.cx, client.cy};
    Logged(::AdjustWindowRectEx(&outer, style, menuBar, exStyle) != FALSE, L"Form.FrameSize");
    return {outer.right - outer.left, outer.bottom - outer.top};
}
} // namespace

unsigned long CreateFormWindow(const FormFrame& frame, SIZE clientTwips, WNDPROC procedure, void* self) {
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
    if (::RegisterClassExW(&windowClass) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS) {
        const int dpi = ScreenDpi();
        const SIZE size = FrameSize({TwipsToPixels(clientTwips.cx, dpi), TwipsToPixels(clientTwips.cy, dpi)},
                                    frame.style, frame.menuBar != nullptr, frame.exStyle);
        if (::CreateWindowExW(frame.exStyle, frame.className, L"", frame.style, CW_USEDEFAULT, CW_USEDEFAULT,
                              size.cx, size.cy, nullptr, frame.menuBar, instance, self) != nullptr) {
            return 0;
        }
    }
    const DWORD code = ::GetLastError();
    // A window whose creation was refused takes its menu with it only when it got that far.
    if (frame.menuBar != nullptr && ::IsMenu(frame.menuBar)) {
        Logged(::DestroyMenu(frame.menuBar) != FALSE, L"Form.CreateFormWindow");
    }
    return code;
}

void ReportWindowNotMade(const wchar_t* formName, unsigned long code) noexcept {
    Trap(formName, [&] {
        const int number = code != 0 ? ErrorNumberFromSystemCode(code) : Err::OutOfMemory;
        ReportError(ToErrorNumber16(number), std::wstring(formName) + L".Form_Load");
        Ui::ShowMessage(nullptr,
                        L"Quillon could not open one of its windows: " +
                            std::wstring(ErrorDescription(number)) + L".",
                        AppTitle.empty() ? L"Quillon" : AppTitle, MB_OK | MB_ICONSTOP);
    });
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

FormLayout LayOutForm(const std::vector<FormControl>& controls, SIZE clientTwips, FormFonts& fonts, int dpi) {
    FormLayout layout;
    layout.client = {TwipsToPixels(clientTwips.cx, dpi), TwipsToPixels(clientTwips.cy, dpi)};
    for (const FormControl& control : controls) {
        // Position and size each converted on their own, as the forms always have been.
        const int left = TwipsToPixels(control.twips.left, dpi);
        const int top = TwipsToPixels(control.twips.top, dpi);
        layout.placements.push_back({left, top, left + TwipsToPixels(control.twips.width, dpi),
                                     top + TwipsToPixels(control.twips.height, dpi)});
    }
    // Top to bottom, so that a label moved down by one above it grows from where it now stands.
    std::vector<size_t> order(controls.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return controls[a].twips.top < controls[b].twips.top; });
    for (size_t i : order) {
        const FormControl& control = controls[i];
        if (!control.label || control.text.empty()) {
            continue;
        }
        RECT& label = layout.placements[i];
        // As a static label draws it: words wrapped at its width.
        const RECT text = MeasuredText(control.text, fonts.Get(control.font, dpi),
                                       DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX, label.right - label.left);
        const int growth = (text.bottom - text.top) - (label.bottom - label.top);
        if (growth <= 0) {
            continue;
        }
        for (size_t j = 0; j < controls.size(); ++j) {
            RECT& other = layout.placements[j];
            if (j != i && other.top >= label.bottom) {
                ::OffsetRect(&other, 0, growth);
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
    made_.push_back({font, dpi, UniqueGdiObject(CreateFormFont(font, dpi))});
    return static_cast<HFONT>(made_.back().object.get());
}

FormLayout CreateFormControls(HWND window, const std::vector<FormControl>& controls, SIZE clientTwips,
                              FormFonts& fonts, int dpi) {
    const FormLayout layout = LayOutForm(controls, clientTwips, fonts, dpi);
    for (size_t i = 0; i < controls.size(); ++i) {
        const FormControl& control = controls[i];
        if (control.className == nullptr) {
            continue; // made by the form itself
        }
        const RECT& at = layout.placements[i];
        HWND made = ::CreateWindowExW(
            control.exStyle, control.className, control.text.c_str(), WS_CHILD | WS_VISIBLE | control.style,
            at.left, at.top, at.right - at.left, at.bottom - at.top, window,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), ::GetModuleHandleW(nullptr), nullptr);
        if (Logged(made != nullptr, L"Form.CreateFormControls")) {
            ::SendMessageW(made, WM_SETFONT, reinterpret_cast<WPARAM>(fonts.Get(control.font, dpi)), FALSE);
        }
    }
    RECT current{};
    ::GetClientRect(window, &current);
    if (current.right != layout.client.cx || current.bottom != layout.client.cy) {
        const SIZE size = FrameSize(layout.client, static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_STYLE)),
                                    ::GetMenu(window) != nullptr,
                                    static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_EXSTYLE)));
        Logged(::SetWindowPos(window, nullptr, 0, 0, size.cx, size.cy,
                              SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE) != FALSE,
               L"Form.CreateFormControls");
    }
    return layout;
}
