#include "toolkit/Grid.h"

#include "rules/ErrorTable.h"
#include "rules/Trap.h"
#include "system/OwnFiles.h"
#include "toolkit/Form.h"
#include "toolkit/Ui.h"

#include <windowsx.h>

#include <algorithm>
#include <utility>

namespace {
constexpr COLORREF kGridWhite = RGB(255, 255, 255);
constexpr UINT UWM_DESCRIBEROWS = WM_APP;

// Where the pointer was, on the screen, when the message being handled was sent.
POINT MessagePoint() {
    const DWORD position = ::GetMessagePos();
    return {GET_X_LPARAM(position), GET_Y_LPARAM(position)};
}

// The tooltip's tools are the list and its header, each known by its window,
// both registered with the grid's parent: message is TTM_ADDTOOLW for a new
// tool, TTM_UPDATETIPTEXTW for a new text.
void SetToolText(HWND tooltip, HWND parent, HWND tool, const std::wstring& text,
                 UINT message = TTM_UPDATETIPTEXTW) {
    TTTOOLINFOW info{};
    info.cbSize = sizeof(info);
    info.uFlags = TTF_IDISHWND;
    info.hwnd = parent;
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.lpszText = const_cast<wchar_t*>(text.c_str());
    ::SendMessageW(tooltip, message, 0, reinterpret_cast<LPARAM>(&info));
}
} // namespace

bool Grid::Create(HWND parent, int id, const RECT& placement, HFONT font) {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    list_ = ::CreateWindowExW(
        WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
        WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDATA,
        placement.left, placement.top, placement.right - placement.left, placement.bottom - placement.top,
        parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    if (list_ == nullptr) {
        return false;
    }
    font_ = font;
    designedWidth_ = placement.right - placement.left;
    ::SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_DOUBLEBUFFER);
    ListView_SetBkColor(list_, kGridWhite);
    ListView_SetTextBkColor(list_, kGridWhite);
    dpi_ = ScreenDpi();
    // Subclassed the classic way, and the tooltip fed from the message loop rather
    // than through TTF_SUBCLASS: under Wine every message that passes a
    // SetWindowSubclass chain costs a window-property lookup in the Wine server,
    // and the ListView sends itself many messages; filling and painting the grid
    // took several times as long.
    ::SetWindowLongPtrW(list_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    listProc_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(list_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Grid::ListProc)));
    header_ = ListView_GetHeader(list_);

    // One tooltip for the whole grid: the list and its header are its two tools.
    tooltip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                 WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, parent, nullptr, instance, nullptr);
    for (HWND tool : {list_, header_}) {
        SetToolText(tooltip_, parent, tool, toolTipText_, TTM_ADDTOOLW); // nothing when no tooltip was made
    }
    return true;
}

Grid::~Grid() {
    // The list may outlive its grid (the window goes after the object): it is
    // given its own procedure back, so that no message reaches a dead grid.
    if (list_ != nullptr) {
        ::SetWindowLongPtrW(list_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(listProc_));
        ::SetWindowLongPtrW(list_, GWLP_USERDATA, 0);
    }
}

LRESULT CALLBACK Grid::ListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    Grid* grid = reinterpret_cast<Grid*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    const WNDPROC listProc = grid->listProc_;
    switch (message) {
    case WM_MOUSEMOVE:
        Trap(L"Grid.ListProc", [grid, lParam] {
            LVHITTESTINFO hit{};
            hit.pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            const int item = ListView_SubItemHitTest(grid->list_, &hit);
            const bool onCell = item >= 0 && (hit.flags & LVHT_ONITEM) != 0;
            grid->hoverRow_ = onCell ? item + 1 : -1;
            grid->hoverCol_ = onCell ? hit.iSubItem : -1;
            grid->ShowListToolText();
        });
        break;
    case WM_SIZE:
        grid->ShowColWidth(grid->stretchCol_);
        break;
    case WM_NOTIFY:
        // The header tells only the list of a right press on it: the grid's
        // header row is pressed, and the current row stays.
        if (const NMHDR& header = *reinterpret_cast<NMHDR*>(lParam);
            header.hwndFrom == grid->header_ && header.code == static_cast<UINT>(NM_RCLICK)) {
            Trap(L"Grid.ListProc", [grid] { grid->OnPress(2, -1, MessagePoint()); });
            return TRUE;
        }
        break;
    case UWM_DESCRIBEROWS:
        Trap(L"Module1.BuildGrid", [grid] { grid->DescribeRows(); });
        return 0;
    case WM_NCDESTROY:
        ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(listProc));
        // The tooltip belongs to the same parent and goes with it.
        grid->list_ = nullptr;
        grid->header_ = nullptr;
        grid->tooltip_ = nullptr;
        break;
    default:
        break;
    }
    return ::CallWindowProcW(listProc, window, message, wParam, lParam);
}

void Grid::RelayToToolTip(const MSG& message) const {
    if (tooltip_ != nullptr && message.message >= WM_MOUSEFIRST && message.message <= WM_MOUSELAST &&
        (message.hwnd == list_ || message.hwnd == header_)) {
        ::SendMessageW(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&message));
    }
}

GridCell Grid::Cell(int row, int col) const {
    return CellSource && row >= 1 && row <= rows_ && col >= 0 && col < Cols() ? CellSource(row, col)
                                                                              : GridCell{};
}

// The list draws nothing while it changes, and asks for its cells afresh once shown.
void Grid::Show(std::vector<GridColumn> columns, int rows, int stretchCol) {
    ::SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    while (Cols() > static_cast<int>(columns.size())) {
        columns_.pop_back();
        ListView_DeleteColumn(list_, Cols());
    }
    // A header or width set again as it was still repaints the header under
    // Wine: only what changed is set, so that a refresh shows no flicker there.
    for (size_t col = 0; col < columns.size(); ++col) {
        if (col < columns_.size() && columns_[col].header == columns[col].header) {
            continue;
        }
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_SUBITEM;
        column.pszText = const_cast<wchar_t*>(columns[col].header.c_str());
        column.iSubItem = static_cast<int>(col);
        Logged(col < columns_.size() ? ListView_SetColumn(list_, col, &column) != FALSE
                                     : ListView_InsertColumn(list_, col, &column) >= 0,
               L"Grid.Show");
    }
    columns_ = std::move(columns);
    stretchCol_ = stretchCol;
    rows_ = rows;
    row_ = std::min(row_, rows_);
    ListView_SetItemCountEx(list_, rows_, LVSICF_NOSCROLL);
    for (int col = 0; col < Cols(); ++col) {
        ShowColWidth(col);
    }
    ShowCurrentRow();
    ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(list_, nullptr, TRUE);
    ShowListToolText(); // the cells under a resting pointer may have changed
    ::PostMessageW(list_, UWM_DESCRIBEROWS, 0, 0);
}

void Grid::Row(int row) {
    if (row < 0 || row > rows_) {
        Raise(Err::SubscriptOutOfRange);
    }
    row_ = row;
    ShowCurrentRow();
    if (list_ != nullptr && row_ > 0) {
        ListView_EnsureVisible(list_, row_ - 1, FALSE);
    }
}

// A column is as wide as it was set; the stretching one takes what the grid
// has gained besides. A grid squeezed below its designed size (a small
// screen) keeps every width.
void Grid::ShowColWidth(int col) {
    if (list_ == nullptr || col < 0 || col >= Cols()) {
        return;
    }
    const GridColumn& column = columns_[static_cast<size_t>(col)];
    int width = TwipsToPixels(column.twips, dpi_);
    if (column.twips == GridColumn::kHeaderWide) {
        // The text as the header draws it, and the header's margin (three edges) either side.
        const RECT text = MeasuredText(column.header, font_, DT_SINGLELINE | DT_NOPREFIX);
        width = text.right - text.left + 2 * 3 * ::GetSystemMetrics(SM_CXEDGE);
    } else if (column.twips == GridColumn::kListWide) {
        RECT client{};
        ::GetClientRect(list_, &client);
        width = client.right; // not a pixel more: no scroll bar that scrolls nothing
    } else if (col == stretchCol_) {
        RECT outer{};
        ::GetWindowRect(list_, &outer);
        width += std::max(0, static_cast<int>(outer.right - outer.left) - designedWidth_);
    }
    if (ListView_GetColumnWidth(list_, col) != width) {
        Logged(ListView_SetColumnWidth(list_, col, width) != FALSE, L"Grid.ShowColWidth");
    }
    ShowListToolText(); // a cell under the pointer may be whole now, or cut
}

void Grid::ToolTipText(std::wstring_view text) {
    toolTipText_.assign(text);
    if (tooltip_ != nullptr && list_ != nullptr) {
        SetToolText(tooltip_, ::GetParent(list_), header_, toolTipText_);
    }
    ShowListToolText();
}

// The list draws a cell's text between margins of about six pixels and ends a
// text too long for them with an ellipsis: the tip then shows it whole.
std::wstring Grid::ListToolText() const {
    GridCell cell = Cell(hoverRow_, hoverCol_); // empty off the cells
    if (!cell.toolTip.empty()) {
        return cell.toolTip;
    }
    const int room =
        list_ != nullptr ? ListView_GetColumnWidth(list_, hoverCol_) - 2 * ::MulDiv(6, dpi_, 96) : 0;
    if (!cell.text.empty() && ListView_GetStringWidth(list_, cell.text.c_str()) > room) {
        return cell.text;
    }
    return toolTipText_;
}

// The list's tool reads what the cell under the pointer asks for. A tip on show
// with another text goes at once; it shows again, with the new text, once the
// pointer rests, where it rests.
void Grid::ShowListToolText() {
    std::wstring text = ListToolText();
    if (text == listToolText_) {
        return;
    }
    listToolText_ = std::move(text);
    if (tooltip_ != nullptr && list_ != nullptr) {
        ::SendMessageW(tooltip_, TTM_POP, 0, 0);
        SetToolText(tooltip_, ::GetParent(list_), list_, listToolText_);
    }
}

// Told once the work that showed the rows is done (the first telling loads ole32
// and oleacc, 10 ms under Wine that held up the first paint), and only where a
// description changed: a grid without any never loads what the telling needs.
void Grid::DescribeRows() {
    const size_t items = static_cast<size_t>(rows_);
    described_.resize(std::max(items, described_.size()));
    for (size_t item = 0; item < described_.size(); ++item) {
        std::wstring description;
        for (int col = 0; col < Cols() && item < items; ++col) {
            const std::wstring tip = Cell(static_cast<int>(item) + 1, col).toolTip;
            if (!tip.empty()) {
                description += (description.empty() ? L"" : L"; ") + tip;
            }
        }
        if (description != described_[item]) {
            Ui::DescribeAccessibleItem(list_, static_cast<long>(item) + 1, description);
            described_[item] = std::move(description);
        }
    }
    described_.resize(items);
}

void Grid::ShowCurrentRow() {
    if (list_ == nullptr) {
        return;
    }
    // Our own selection change is not a user's choice of row.
    showingRow_ = true;
    constexpr UINT kBoth = LVIS_SELECTED | LVIS_FOCUSED;
    if (row_ > 0) {
        // A single-selection list releases the previous row itself. Addressing
        // "every item" instead costs the ListView one call per row.
        ListView_SetItemState(list_, row_ - 1, kBoth, kBoth);
    } else {
        for (UINT flag : {LVNI_SELECTED, LVNI_FOCUSED}) {
            const int item = ListView_GetNextItem(list_, -1, flag);
            if (item >= 0) {
                ListView_SetItemState(list_, item, 0, kBoth);
            }
        }
    }
    showingRow_ = false;
}

LRESULT Grid::OnCustomDraw(NMLVCUSTOMDRAW& draw) const {
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        const int item = static_cast<int>(draw.nmcd.dwItemSpec);
        // The list's own selection colours would hide a red or green cell, so the
        // selection is drawn here, in the cells without a colour of their own.
        const bool selected = ListView_GetItemState(list_, item, LVIS_SELECTED) != 0;
        draw.nmcd.uItemState &= ~(CDIS_SELECTED | CDIS_FOCUS);
        const GridCell cell = Cell(item + 1, draw.iSubItem);
        const bool ownColor = cell.back != 0;
        if (selected && !ownColor) {
            const bool focused = ::GetFocus() == list_;
            draw.clrTextBk = ::GetSysColor(focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE);
            draw.clrText = ::GetSysColor(focused ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
        } else {
            draw.clrTextBk = ownColor ? cell.back : kGridWhite;
            draw.clrText = ::GetSysColor(COLOR_WINDOWTEXT);
        }
        if (cell.picture != nullptr) {
            DrawPictureCell(draw, cell);
            return CDRF_SKIPDEFAULT;
        }
        return CDRF_NEWFONT;
    }
    default:
        return CDRF_DODEFAULT;
    }
}

// The ListView draws no picture in a cell but the first, so a cell with one is
// drawn here whole: its background, the picture at its left scaled to the row's
// height (which follows the font, and so the screen's DPI), then its text.
void Grid::DrawPictureCell(const NMLVCUSTOMDRAW& draw, const GridCell& cell) const {
    const int item = static_cast<int>(draw.nmcd.dwItemSpec);
    RECT bounds{};
    if (!ListView_GetSubItemRect(list_, item, draw.iSubItem, draw.iSubItem == 0 ? LVIR_LABEL : LVIR_BOUNDS,
                                 &bounds)) {
        return;
    }
    // The grid line under the row is drawn before the rows, and stays.
    if ((ListView_GetExtendedListViewStyle(list_) & LVS_EX_GRIDLINES) != 0) {
        --bounds.bottom;
    }
    HDC dc = draw.nmcd.hdc;
    const SavedDC saved(dc); // the list draws on with its own font and colours
    ::SetBkColor(dc, draw.clrTextBk);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &bounds, nullptr, 0, nullptr);

    const int margin = std::max(1, ::MulDiv(1, dpi_, 96));
    const int side = std::max(1, static_cast<int>(bounds.bottom - bounds.top) - 2 * margin);
    ::DrawIconEx(dc, bounds.left + margin, bounds.top + margin, cell.picture, side, side, 0, nullptr,
                 DI_NORMAL);

    RECT text = bounds;
    text.left += 4 * margin + side;
    text.right -= 4 * margin;
    ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(list_, WM_GETFONT, 0, 0)));
    ::SetTextColor(dc, draw.clrText);
    ::SetBkMode(dc, TRANSPARENT);
    ::DrawTextW(dc, cell.text.c_str(), static_cast<int>(cell.text.size()), &text,
                DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

void Grid::OnPress(int button, int item, POINT screenPoint) {
    if (item >= 0 && item < rows_) {
        row_ = item + 1;
        ShowCurrentRow();
    }
    if (MouseDown) {
        MouseDown(button, screenPoint);
    }
}

// Type-ahead, as in Explorer: the list gathers the letters typed within its
// own interval and asks for the row whose first column starts with them
// (letter case aside). The search starts at the current row, so that more
// letters keep a row that still fits; one letter, typed once or again and
// again (the list then asks for "b", "bb", "bbb"), moves on to the next row
// starting with it. The list makes the row found current and scrolls to it.
int Grid::FindTypedItem(const NMLVFINDITEMW& find) const {
    if (find.lvfi.psz == nullptr || find.lvfi.psz[0] == L'\0' || rows_ <= 0) {
        return -1;
    }
    auto startsWith = [](std::wstring_view text, std::wstring_view prefix) {
        return text.size() >= prefix.size() && EqualsIgnoringCase(text.substr(0, prefix.size()), prefix);
    };
    std::wstring_view typed = find.lvfi.psz;
    const bool oneLetter = std::all_of(typed.begin(), typed.end(), [&](const wchar_t& letter) {
        return startsWith(std::wstring_view(&letter, 1), typed.substr(0, 1));
    });
    if (oneLetter) {
        typed = typed.substr(0, 1);
    }
    const int current = row_ - 1;
    const int start = oneLetter ? current + 1 : std::max(current, 0);
    for (int step = 0; step < rows_; ++step) {
        const int item = (start + step) % rows_;
        if (startsWith(Cell(item + 1, 0).text, typed)) {
            return item;
        }
    }
    return -1;
}

std::optional<LRESULT> Grid::OnNotify(NMHDR& header) {
    if (list_ == nullptr || header.hwndFrom != list_) {
        return std::nullopt;
    }
    switch (header.code) {
    case LVN_GETDISPINFOW: {
        LVITEMW& item = reinterpret_cast<NMLVDISPINFOW&>(header).item;
        if ((item.mask & LVIF_TEXT) != 0 && item.pszText != nullptr && item.cchTextMax > 0) {
            ::lstrcpynW(item.pszText, Cell(item.iItem + 1, item.iSubItem).text.c_str(), item.cchTextMax);
        }
        return 0;
    }
    case LVN_ODFINDITEMW:
        return FindTypedItem(reinterpret_cast<NMLVFINDITEMW&>(header));
    case NM_CUSTOMDRAW:
        return OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW&>(header));
    case LVN_ITEMCHANGED: {
        const NMLISTVIEW& change = reinterpret_cast<NMLISTVIEW&>(header);
        const bool focused = (change.uNewState & LVIS_FOCUSED) != 0 && (change.uOldState & LVIS_FOCUSED) == 0;
        if (!showingRow_ && focused && change.iItem >= 0 && change.iItem < rows_) {
            row_ = change.iItem + 1; // the keyboard moved the current row
        }
        return 0;
    }
    case NM_CLICK:
    case NM_RCLICK: {
        const NMITEMACTIVATE& press = reinterpret_cast<NMITEMACTIVATE&>(header);
        POINT screen = press.ptAction;
        ::ClientToScreen(list_, &screen);
        OnPress(header.code == NM_CLICK ? 1 : 2, press.iItem, screen);
        return 0;
    }
    case LVN_COLUMNCLICK:
        // A left press on the header row.
        OnPress(1, -1, MessagePoint());
        return 0;
    default:
        return std::nullopt;
    }
}
