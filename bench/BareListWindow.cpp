// The start-up benchmark's yardstick: the least a program must do to show a
// window of Quillon's size with a virtual report-view ListView of 30 rows,
// on the same common controls (it carries Quillon's manifest). Built a second
// time with QUILLON_PHASES, it marks where its time goes (Phases.h) and ends
// once idle.
#include <windows.h>

#include <commctrl.h>

#include <cwchar>

#ifdef QUILLON_PHASES
#include "Phases.h"
#else
struct PhaseMarks {
    explicit PhaseMarks(const wchar_t*) {}
    void Mark(const char*) {}
};
#endif

namespace {
constexpr int kRows = 30;
constexpr int kColumns = 6;
constexpr int kListId = 1;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        ::MoveWindow(::GetDlgItem(window, kListId), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    case WM_NOTIFY: {
        auto* info = reinterpret_cast<NMLVDISPINFOW*>(lParam);
        if (info->hdr.code == LVN_GETDISPINFOW && (info->item.mask & LVIF_TEXT) != 0) {
            std::swprintf(info->item.pszText, static_cast<size_t>(info->item.cchTextMax), L"Row %d, %d",
                          info->item.iItem + 1, info->item.iSubItem + 1);
        }
        return 0;
    }
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}
} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int showCommand) {
    PhaseMarks marks(commandLine);
    marks.Mark("first line");
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    marks.Mark("common controls");

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &WindowProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"QuillonBareList";
    ::RegisterClassExW(&wc);

    // Quillon's main window: 11550 x 6045 twips of client area below a menu bar.
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    RECT frame{0, 0, ::MulDiv(11550, dpi, 1440), ::MulDiv(6045, dpi, 1440)};
    ::AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, TRUE, 0);
    HWND window = ::CreateWindowExW(0, wc.lpszClassName, L"Bare list", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                                    CW_USEDEFAULT, CW_USEDEFAULT, frame.right - frame.left,
                                    frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
    marks.Mark("window made");
    RECT client;
    ::GetClientRect(window, &client);
    HWND list = ::CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                                  WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDATA, 0, 0, client.right,
                                  client.bottom, window, reinterpret_cast<HMENU>(kListId), instance, nullptr);
    for (int column = 0; column < kColumns; ++column) {
        wchar_t title[16];
        std::swprintf(title, 16, L"Column %d", column + 1);
        LVCOLUMNW info{};
        info.mask = LVCF_TEXT | LVCF_WIDTH;
        info.cx = 120;
        info.pszText = title;
        ::SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&info));
    }
    ::SendMessageW(list, LVM_SETITEMCOUNT, kRows, 0);
    marks.Mark("list filled");

    ::ShowWindow(window, showCommand);
    ::UpdateWindow(window);
    marks.Mark("shown and painted");
#ifdef QUILLON_PHASES
    return marks.RunUntilIdle();
#else
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
#endif
}
