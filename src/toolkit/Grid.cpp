#include "toolkit/Grid.h"

#include "rules/ErrorTable.h"
#include "rules/Trap.h"
#include "toolkit/Screen.h"
#include "toolkit/Ui.h"

#include <windowsx.h>

#include <algorithm>

namespace {
// A new column's width, in twips, until it is set.
constexpr int kDefaultColWidth = 960;

int PixelsToTwips(int pixels, int dpi) { return ::MulDiv(pixels, 1440, dpi); }

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

// The classic mouse pointer numbers; 0 leaves the ListView its own.
const wchar_t* CursorFor(int pointer) {
    switch (pointer) {
    case 1:
        return IDC_ARROW;
    case 2:
        return IDC_CROSS;
    case 3:
        return IDC_IBEAM;
    case 5:
    case 15:
        return IDC_SIZEALL;
    case 6:
        return IDC_SIZENESW;
    case 7:
        return IDC_SIZENS;
    case 8:
        return IDC_SIZENWSE;
    case 9:
        return IDC_SIZEWE;
    case 10:
        return IDC_UPARROW;
    case 11:
        return IDC_WAIT;
    case 12:
        return IDC_NO;
    case 13:
        return IDC_APPSTARTING;
    case 14:
        return IDC_HELP;
    default:
        return nullptr;
    }
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
    ::SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    ListView_SetExtendedListViewStyle(list_, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_DOUBLEBUFFER);
    if (const WindowDC dc(list_); dc) {
        dpi_ = std::max(1, ::GetDeviceCaps(dc.get(), LOGPIXELSX));
    }
    // Subclassed the classic way, and the tooltip fed from the message loop rather
    // than through TTF_SUBCLASS: under Wine every message that passes a
    // SetWindowSubclass chain costs a window-property lookup in the Wine server,
    // and the ListView sends itself many messages; filling and painting the grid
    // took several times as long.
    ::SetWindowLongPtrW(list_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    listProc_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(list_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Grid::ListProc)));
    header_ = ListView_GetHeader(list_);
    for (int col = 0; col < cols_; ++col) {
        InsertListColumn(col);
    }
    BackColor(backColor_);
    UpdateItemCount();

    // One tooltip for the whole grid: the list and its header are its two tools.
    tooltip_ = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                 WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, parent, nullptr, instance, nullptr);
    if (tooltip_ != nullptr) {
        for (HWND tool : {list_, header_}) {
            SetToolText(tooltip_, parent, tool, toolTipText_, TTM_ADDTOOLW);
        }
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
            grid->OnMouseMove({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        });
        break;
    case WM_NOTIFY:
        // The header tells only the list of a right press on it: the grid's
        // header row is pressed, and the current row stays.
        if (const NMHDR& header = *reinterpret_cast<NMHDR*>(lParam);
            header.hwndFrom == grid->header_ && header.code == static_cast<UINT>(NM_RCLICK)) {
            Trap(L"Grid.ListProc", [grid] { grid->OnPress(2, -1, -1, grid->MessagePoint()); });
            return TRUE;
        }
        break;
    case WM_SETCURSOR:
        if (const wchar_t* cursor = CursorFor(grid->mousePointer_);
            cursor != nullptr && LOWORD(lParam) == HTCLIENT) {
            ::SetCursor(::LoadCursorW(nullptr, cursor));
            return TRUE;
        }
        break;
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

Grid::Cell& Grid::CurrentCell() {
    if (row_ < 0 || row_ >= Rows()) {
        Raise(kInvalidRowValue);
    }
    if (col_ < 0 || col_ >= cols_) {
        Raise(kInvalidColValue);
    }
    return cells_[static_cast<size_t>(row_)][static_cast<size_t>(col_)];
}

const Grid::Cell& Grid::CurrentCell() const { return const_cast<Grid*>(this)->CurrentCell(); }

void Grid::Clear() {
    for (std::vector<Cell>& row : cells_) {
        for (Cell& cell : row) {
            cell.text.clear();
            cell.back = 0;
            cell.picture = nullptr;
            cell.toolTip.clear();
        }
    }
    for (int col = 0; col < cols_; ++col) {
        ShowHeaderText(col);
    }
    if (list_ != nullptr && visible_) {
        ::InvalidateRect(list_, nullptr, TRUE);
    }
}

void Grid::Rows(int count) {
    if (count < fixedRows_ || count < 0) {
        Raise(kInvalidRowValue);
    }
    cells_.resize(static_cast<size_t>(count), std::vector<Cell>(static_cast<size_t>(cols_)));
    row_ = std::clamp(row_, 0, std::max(0, count - 1));
    UpdateItemCount();
}

void Grid::Cols(int count) {
    if (count < 1 || count < fixedCols_) {
        Raise(kInvalidColValue);
    }
    for (std::vector<Cell>& row : cells_) {
        row.resize(static_cast<size_t>(count));
    }
    fitsHeader_.resize(static_cast<size_t>(count), true);
    while (cols_ < count) {
        InsertListColumn(cols_++);
    }
    while (cols_ > count) {
        --cols_;
        if (list_ != nullptr) {
            ListView_DeleteColumn(list_, cols_);
        }
    }
    col_ = std::min(col_, cols_ - 1);
}

void Grid::FixedRows(int count) {
    if (count < 0 || count > 1 || count > Rows()) {
        Raise(kInvalidRowValue);
    }
    if (count == fixedRows_) {
        return;
    }
    fixedRows_ = count;
    if (list_ != nullptr) {
        const LONG_PTR style = ::GetWindowLongPtrW(list_, GWL_STYLE);
        ::SetWindowLongPtrW(list_, GWL_STYLE,
                            count == 1 ? style & ~LVS_NOCOLUMNHEADER : style | LVS_NOCOLUMNHEADER);
    }
    for (int col = 0; col < cols_; ++col) {
        ShowHeaderText(col);
    }
    UpdateItemCount();
}

void Grid::FixedCols(int count) {
    if (count < 0 || count > cols_) {
        Raise(kInvalidColValue);
    }
    fixedCols_ = count;
    if (list_ != nullptr && visible_) {
        ::InvalidateRect(list_, nullptr, TRUE);
    }
}

void Grid::Row(int row) {
    if (row < 0 || row >= Rows()) {
        Raise(kInvalidRowValue);
    }
    row_ = row;
    if (visible_) {
        ShowCurrentRow();
    }
}

void Grid::Col(int col) {
    if (col < 0 || col >= cols_) {
        Raise(kInvalidColValue);
    }
    col_ = col;
}

const std::wstring& Grid::Text() const { return CurrentCell().text; }

void Grid::Text(std::wstring_view text) {
    CurrentCell().text.assign(text);
    if (IsHeaderRow(row_)) {
        ShowHeaderText(col_);
    } else if (visible_) {
        RedrawRow(row_);
    }
}

COLORREF Grid::CellBackColor() const { return CurrentCell().back; }

void Grid::CellBackColor(COLORREF color) {
    CurrentCell().back = color;
    if (visible_) {
        RedrawRow(row_);
    }
}

HICON Grid::CellPicture() const { return CurrentCell().picture; }

void Grid::CellPicture(HICON picture) {
    CurrentCell().picture = picture;
    if (visible_) {
        RedrawRow(row_);
    }
}

const std::wstring& Grid::CellToolTipText() const { return CurrentCell().toolTip; }

void Grid::CellToolTipText(std::wstring_view text) {
    CurrentCell().toolTip.assign(text);
    if (visible_) {
        ShowListToolText();
        DescribeRow(row_);
    }
}

const std::wstring& Grid::TextMatrix(int row, int col) const {
    if (row < 0 || row >= Rows()) {
        Raise(kInvalidRowValue);
    }
    if (col < 0 || col >= cols_) {
        Raise(kInvalidColValue);
    }
    return cells_[static_cast<size_t>(row)][static_cast<size_t>(col)].text;
}

int Grid::ColWidth(int col) const {
    if (col < 0 || col >= cols_) {
        Raise(kInvalidColValue);
    }
    return list_ != nullptr ? PixelsToTwips(ListView_GetColumnWidth(list_, col), dpi_) : 0;
}

void Grid::ColWidth(int col, int twips) {
    if (col < 0 || col >= cols_) {
        Raise(kInvalidColValue);
    }
    if (twips < -1) {
        Raise(Err::InvalidCall);
    }
    fitsHeader_[static_cast<size_t>(col)] = twips == -1;
    if (twips == -1) {
        ShowHeaderText(col);
    } else if (list_ != nullptr) {
        ListView_SetColumnWidth(list_, col, TwipsToPixels(twips, dpi_));
    }
}

int Grid::HeaderWidth(std::wstring_view text, HFONT font) {
    const RECT rect = MeasuredText(text, font, DT_SINGLELINE | DT_NOPREFIX);
    return rect.right - rect.left + 2 * 3 * ::GetSystemMetrics(SM_CXEDGE);
}

int Grid::Width() const {
    RECT rect{};
    if (list_ != nullptr) {
        ::GetWindowRect(list_, &rect);
    }
    return PixelsToTwips(rect.right - rect.left, dpi_);
}

void Grid::Visible(bool visible) {
    visible_ = visible;
    if (list_ == nullptr) {
        return;
    }
    ::ShowWindow(list_, visible ? SW_SHOWNA : SW_HIDE);
    if (visible) {
        ShowCurrentRow();
        ShowListToolText(); // the cells under a resting pointer may have changed
        DescribeRows();
        ::InvalidateRect(list_, nullptr, TRUE);
        // Hiding the list sent the keyboard to its parent, which does nothing with it.
        if (::GetFocus() == ::GetParent(list_)) {
            ::SetFocus(list_);
        }
    }
}

void Grid::MousePointer(int pointer) {
    if (pointer != kPointerDefault && CursorFor(pointer) == nullptr) {
        Raise(Err::InvalidCall);
    }
    mousePointer_ = pointer;
}

void Grid::ScrollBars(int value) {
    if (value != kScrollBarsBoth) {
        Raise(Err::InvalidCall);
    }
}

void Grid::BackColor(COLORREF color) {
    backColor_ = color;
    if (list_ != nullptr) {
        ListView_SetBkColor(list_, color);
        ListView_SetTextBkColor(list_, color);
        if (visible_) {
            ::InvalidateRect(list_, nullptr, TRUE);
        }
    }
}

void Grid::ToolTipText(std::wstring_view text) {
    if (text == toolTipText_) {
        return; // set once per red row during a fill: keep that cheap
    }
    toolTipText_.assign(text);
    if (tooltip_ == nullptr || list_ == nullptr) {
        return;
    }
    SetToolText(tooltip_, ::GetParent(list_), header_, toolTipText_);
    listToolText_ = ListToolText();
    SetToolText(tooltip_, ::GetParent(list_), list_, listToolText_);
}

const std::wstring& Grid::ListToolText() const {
    if (hoverRow_ >= 0 && hoverRow_ < Rows() && hoverCol_ >= 0 && hoverCol_ < cols_) {
        const Cell& cell = cells_[static_cast<size_t>(hoverRow_)][static_cast<size_t>(hoverCol_)];
        if (!cell.toolTip.empty()) {
            return cell.toolTip;
        }
    }
    return toolTipText_;
}

// The list's tool reads what the cell under the pointer asks for. A tip on show
// with another text goes at once; it shows again, with the new text, once the
// pointer rests, where it rests.
void Grid::ShowListToolText() {
    if (ListToolText() == listToolText_) {
        return;
    }
    listToolText_ = ListToolText();
    if (tooltip_ != nullptr && list_ != nullptr) {
        ::SendMessageW(tooltip_, TTM_POP, 0, 0);
        SetToolText(tooltip_, ::GetParent(list_), list_, listToolText_);
    }
}

// Told once the rows are on show, and only where a description changed: a
// grid without any never loads what the telling needs.
void Grid::DescribeRows() {
    const int items = std::max(0, Rows() - fixedRows_);
    for (int item = 0; item < std::max(items, static_cast<int>(described_.size())); ++item) {
        DescribeRow(item + fixedRows_);
    }
    described_.resize(static_cast<size_t>(items));
}

void Grid::DescribeRow(int row) {
    if (list_ == nullptr || IsHeaderRow(row)) {
        return;
    }
    std::wstring description;
    if (row < Rows()) {
        for (const Cell& cell : cells_[static_cast<size_t>(row)]) {
            if (!cell.toolTip.empty()) {
                description += (description.empty() ? L"" : L"; ") + cell.toolTip;
            }
        }
    }
    const auto item = static_cast<size_t>(ItemOfRow(row));
    if (item >= described_.size()) {
        described_.resize(item + 1);
    }
    if (description != described_[item]) {
        Ui::DescribeAccessibleItem(list_, static_cast<long>(item) + 1, description);
        described_[item] = std::move(description);
    }
}

void Grid::OnMouseMove(POINT clientPoint) {
    LVHITTESTINFO hit{};
    hit.pt = clientPoint;
    const int item = ListView_SubItemHitTest(list_, &hit);
    const bool onCell = item >= 0 && (hit.flags & LVHT_ONITEM) != 0;
    hoverRow_ = onCell ? item + fixedRows_ : -1;
    hoverCol_ = onCell ? hit.iSubItem : -1;
    ShowListToolText();
}

void Grid::InsertListColumn(int col) {
    if (list_ == nullptr) {
        return;
    }
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.cx = TwipsToPixels(kDefaultColWidth, dpi_);
    column.pszText = const_cast<wchar_t*>(L"");
    column.iSubItem = col;
    ListView_InsertColumn(list_, col, &column);
    ShowHeaderText(col);
}

void Grid::ShowHeaderText(int col) {
    if (list_ == nullptr) {
        return;
    }
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT;
    const bool header = fixedRows_ == 1 && !cells_.empty();
    const std::wstring& text = header ? cells_[0][static_cast<size_t>(col)].text : std::wstring();
    column.pszText = const_cast<wchar_t*>(text.c_str());
    if (fitsHeader_[static_cast<size_t>(col)] && !text.empty()) {
        column.mask |= LVCF_WIDTH;
        column.cx = HeaderWidth(text, font_);
    }
    ListView_SetColumn(list_, col, &column);
}

void Grid::RedrawRow(int row) {
    if (list_ != nullptr && !IsHeaderRow(row)) {
        ListView_RedrawItems(list_, ItemOfRow(row), ItemOfRow(row));
    }
}

void Grid::ShowCurrentRow() {
    if (list_ == nullptr) {
        return;
    }
    // Our own selection change is not a user's choice of row.
    showingRow_ = true;
    constexpr UINT kBoth = LVIS_SELECTED | LVIS_FOCUSED;
    if (!IsHeaderRow(row_) && row_ < Rows()) {
        // A single-selection list releases the previous row itself. Addressing
        // "every item" instead costs the ListView one call per row.
        ListView_SetItemState(list_, ItemOfRow(row_), kBoth, kBoth);
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

void Grid::UpdateItemCount() {
    if (list_ != nullptr) {
        ListView_SetItemCountEx(list_, std::max(0, Rows() - fixedRows_), LVSICF_NOSCROLL);
    }
}

COLORREF Grid::CellColor(int row, int col) const {
    if (row < 0 || row >= Rows() || col < 0 || col >= cols_) {
        return backColor_;
    }
    const COLORREF own = cells_[static_cast<size_t>(row)][static_cast<size_t>(col)].back;
    if (own != 0) {
        return own;
    }
    return col < fixedCols_ ? ::GetSysColor(COLOR_BTNFACE) : backColor_;
}

LRESULT Grid::OnCustomDraw(NMLVCUSTOMDRAW& draw) const {
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        const int row = static_cast<int>(draw.nmcd.dwItemSpec) + fixedRows_;
        // The list's own selection colours would hide a red or green cell, so the
        // selection is drawn here, in the cells without a colour of their own.
        const bool selected =
            ListView_GetItemState(list_, static_cast<int>(draw.nmcd.dwItemSpec), LVIS_SELECTED) != 0;
        draw.nmcd.uItemState &= ~(CDIS_SELECTED | CDIS_FOCUS);
        const Cell* cell = row >= 0 && row < Rows() && draw.iSubItem >= 0 && draw.iSubItem < cols_
                               ? &cells_[static_cast<size_t>(row)][static_cast<size_t>(draw.iSubItem)]
                               : nullptr;
        const bool ownColor = cell != nullptr && cell->back != 0;
        if (selected && !ownColor) {
            const bool focused = ::GetFocus() == list_;
            draw.clrTextBk = ::GetSysColor(focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE);
            draw.clrText = ::GetSysColor(focused ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
        } else {
            draw.clrTextBk = CellColor(row, draw.iSubItem);
            draw.clrText = ::GetSysColor(COLOR_WINDOWTEXT);
        }
        if (cell != nullptr && cell->picture != nullptr) {
            DrawPictureCell(draw, *cell);
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
void Grid::DrawPictureCell(const NMLVCUSTOMDRAW& draw, const Cell& cell) const {
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
    const int savedState = ::SaveDC(dc);
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
    ::RestoreDC(dc, savedState);
}

POINT Grid::MessagePoint() const {
    const DWORD position = ::GetMessagePos();
    POINT point{GET_X_LPARAM(position), GET_Y_LPARAM(position)};
    ::ScreenToClient(list_, &point);
    return point;
}

void Grid::OnPress(int button, int item, int subItem, POINT clientPoint) {
    if (item >= 0 && item + fixedRows_ < Rows()) {
        row_ = item + fixedRows_;
        if (subItem >= 0 && subItem < cols_) {
            col_ = subItem;
        }
        ShowCurrentRow();
    }
    if (MouseDown) {
        POINT screen = clientPoint;
        ::ClientToScreen(list_, &screen);
        MouseDown(button, screen);
    }
}

// Type-ahead, as in Explorer: the list gathers the letters typed within its
// own interval and asks for the row whose first column starts with them
// (letter case aside). The search starts at the current row, so that more
// letters keep a row that still fits; one letter, typed once or again and
// again (the list then asks for "b", "bb", "bbb"), moves on to the next row
// starting with it. The list makes the row found current and scrolls to it.
int Grid::FindTypedItem(const NMLVFINDITEMW& find) const {
    const int count = Rows() - fixedRows_;
    if (find.lvfi.psz == nullptr || find.lvfi.psz[0] == L'\0' || count <= 0) {
        return -1;
    }
    auto startsWith = [](std::wstring_view text, std::wstring_view prefix) {
        return text.size() >= prefix.size() && EqualsIgnoringCase(text.substr(0, prefix.size()), prefix);
    };
    std::wstring_view typed = find.lvfi.psz;
    bool oneLetter = true;
    for (size_t i = 1; i < typed.size() && oneLetter; ++i) {
        oneLetter = startsWith(typed.substr(i, 1), typed.substr(0, 1));
    }
    if (oneLetter) {
        typed = typed.substr(0, 1);
    }
    const int current = IsHeaderRow(row_) ? -1 : ItemOfRow(row_);
    const int start = oneLetter ? current + 1 : std::max(current, 0);
    for (int step = 0; step < count; ++step) {
        const int item = (start + step) % count;
        if (startsWith(cells_[static_cast<size_t>(item + fixedRows_)][0].text, typed)) {
            return item;
        }
    }
    return -1;
}

bool Grid::OnNotify(NMHDR& header, LRESULT& result) {
    if (list_ == nullptr || header.hwndFrom != list_) {
        return false;
    }
    result = 0;
    switch (header.code) {
    case LVN_GETDISPINFOW: {
        LVITEMW& item = reinterpret_cast<NMLVDISPINFOW&>(header).item;
        if ((item.mask & LVIF_TEXT) != 0 && item.pszText != nullptr && item.cchTextMax > 0) {
            const int row = item.iItem + fixedRows_;
            const bool inside = row >= 0 && row < Rows() && item.iSubItem >= 0 && item.iSubItem < cols_;
            ::lstrcpynW(
                item.pszText,
                inside ? cells_[static_cast<size_t>(row)][static_cast<size_t>(item.iSubItem)].text.c_str()
                       : L"",
                item.cchTextMax);
        }
        return true;
    }
    case LVN_ODFINDITEMW:
        result = FindTypedItem(reinterpret_cast<NMLVFINDITEMW&>(header));
        return true;
    case NM_CUSTOMDRAW:
        result = OnCustomDraw(reinterpret_cast<NMLVCUSTOMDRAW&>(header));
        return true;
    case LVN_ITEMCHANGED: {
        const NMLISTVIEW& change = reinterpret_cast<NMLISTVIEW&>(header);
        const bool focused = (change.uNewState & LVIS_FOCUSED) != 0 && (change.uOldState & LVIS_FOCUSED) == 0;
        if (!showingRow_ && focused && change.iItem >= 0 && change.iItem + fixedRows_ < Rows()) {
            row_ = change.iItem + fixedRows_; // the keyboard moved the current row
        }
        return true;
    }
    case NM_CLICK:
    case NM_RCLICK: {
        const NMITEMACTIVATE& press = reinterpret_cast<NMITEMACTIVATE&>(header);
        OnPress(header.code == NM_CLICK ? 1 : 2, press.iItem, press.iSubItem, press.ptAction);
        return true;
    }
    case LVN_COLUMNCLICK:
        // A left press on the header row.
        OnPress(1, -1, reinterpret_cast<NMLISTVIEW&>(header).iSubItem, MessagePoint());
        return true;
    default:
        return false;
    }
}
