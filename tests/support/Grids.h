#pragma once
// The main window's grid as the tests look into it: cell and header texts as
// the ListView holds them, what its custom-draw handler answers for a cell,
// its tooltip, and a world of three entries to fill it with.
#include "app/Form1.h"
#include "support/Worlds.h"

#include <commctrl.h>

#include <string>

namespace testsupport {
inline std::wstring ItemText(HWND list, int item, int subItem) {
    wchar_t text[260] = L"";
    ListView_GetItemText(list, item, subItem, text, 260);
    return text;
}

inline std::wstring HeaderText(HWND list, int col) {
    wchar_t text[260] = L"";
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT;
    column.pszText = text;
    column.cchTextMax = 260;
    ListView_GetColumn(list, col, &column);
    return text;
}

inline int HeaderCount(HWND list) { return Header_GetItemCount(ListView_GetHeader(list)); }

// What the grid's custom-draw handler answers for one cell, as the ListView asks it.
struct DrawAnswer {
    LRESULT result;
    COLORREF back;
};
inline DrawAnswer DrawCell(const Form1& form, int item, int subItem) {
    NMLVCUSTOMDRAW draw{};
    draw.nmcd.hdr.hwndFrom = form.grdXTRs().Window();
    draw.nmcd.hdr.idFrom = Form1::kGrdXTRs;
    draw.nmcd.hdr.code = NM_CUSTOMDRAW;
    draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT | CDDS_SUBITEM;
    draw.nmcd.dwItemSpec = static_cast<DWORD_PTR>(item);
    draw.iSubItem = subItem;
    draw.clrTextBk = CLR_DEFAULT;
    const LRESULT result =
        ::SendMessageW(form.Window(), WM_NOTIFY, Form1::kGrdXTRs, reinterpret_cast<LPARAM>(&draw));
    return {result, draw.clrTextBk};
}

inline std::wstring ShownToolTip(const Grid& grid) {
    wchar_t text[260] = L"";
    TTTOOLINFOW info{};
    info.cbSize = sizeof(info);
    info.hwnd = ::GetParent(grid.Window());
    info.uId = reinterpret_cast<UINT_PTR>(grid.Window());
    info.lpszText = text;
    ::SendMessageW(grid.ToolTipWindow(), TTM_GETTEXTW, 260, reinterpret_cast<LPARAM>(&info));
    return text;
}
} // namespace testsupport

class GridTest : public MainWindowTest {
  protected:
    void Xtr(const std::wstring& path, const std::string& title, const std::string& program, bool start,
             bool stop) {
        testsupport::WriteBytes(path, title + "\r\n" + program + "\r\n" + (start ? "True" : "False") +
                                          "\r\n" + (stop ? "True" : "False") + "\r\n");
    }
    // Two active files (one program missing) and one inactive file.
    void ThreeEntries() {
        testsupport::WriteBytes(host / L"tool.exe", "MZ");
        Xtr(host / L"one.xtr", "First", "tool.exe", true, false);
        Xtr(host / L"two.xtr", "Second", ToAnsi(host / L"Missing\\gone.exe"), false, true);
        Xtr(InSaved(L"three.xtr"), "Third", "tool.exe", false, false);
    }
};
