#pragma once
// A small grid over a virtual report-view ListView, offering the grid
// operations the catalogue needs: rows and columns of cells, a fixed header row
// (shown as the ListView's header), a current cell that is read and written
// through Row, Col, Text, CellBackColor and CellPicture, column widths in
// twips, one tooltip for the whole grid that a cell may override with its own,
// type-ahead on the first column, a busy pointer and a mouse-press event.
#include "system/Win32.h"

#include <commctrl.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class Grid {
  public:
    // The grid's own failures, numbered as grid controls have always numbered them.
    static constexpr int kInvalidRowValue = 30009;
    static constexpr int kInvalidColValue = 30010;

    static constexpr int kPointerDefault = 0;
    static constexpr int kPointerHourglass = 11;
    static constexpr int kScrollBarsBoth = 3;

    Grid() = default;
    ~Grid();
    Grid(const Grid&) = delete;
    Grid& operator=(const Grid&) = delete;

    // Creates the ListView as child id of parent at the given pixel rectangle.
    // It dies with its parent. False (the thread's last error set) when it
    // could not be made.
    bool Create(HWND parent, int id, const RECT& placement, HFONT font);
    HWND Window() const { return list_; }
    HWND ToolTipWindow() const { return tooltip_; }

    // Empties every cell, text and colour.
    void Clear();

    int Rows() const { return static_cast<int>(cells_.size()); }
    void Rows(int count);
    int Cols() const { return cols_; }
    void Cols(int count);
    // Rows before FixedRows form the header: 0 or 1 row.
    int FixedRows() const { return fixedRows_; }
    void FixedRows(int count);
    // Columns before FixedCols are drawn in the button face colour.
    int FixedCols() const { return fixedCols_; }
    void FixedCols(int count);

    // The current cell. A current data row is the ListView's focused, selected item.
    int Row() const { return row_; }
    void Row(int row);
    int Col() const { return col_; }
    void Col(int col);

    const std::wstring& Text() const;
    void Text(std::wstring_view text);
    // 0 means the grid's background.
    COLORREF CellBackColor() const;
    void CellBackColor(COLORREF color);
    // A small picture at the left of the current cell, drawn at the row's
    // height before the text; null for none. The caller keeps the icon alive.
    HICON CellPicture() const;
    void CellPicture(HICON picture);
    // What the tooltip reads while the pointer is over the current cell, in
    // place of ToolTipText; empty for the grid's own. A screen reader is told
    // the same: a row's cells' own tips are the row's accessible description.
    const std::wstring& CellToolTipText() const;
    void CellToolTipText(std::wstring_view text);
    // A cell's text without moving the current cell.
    const std::wstring& TextMatrix(int row, int col) const;

    // In twips. A column whose width is not set (or set to -1) is as wide as
    // its header text needs, so that no header is cut short at any DPI.
    int ColWidth(int col) const;
    void ColWidth(int col, int twips);
    // The width in pixels a header needs to show text whole in font: the text
    // as the header draws it, and the header's margin (three edges) either side.
    static int HeaderWidth(std::wstring_view text, HFONT font);
    int Width() const;

    // Shown again, the grid takes back the keyboard that hiding it sent to its window.
    bool Visible() const { return visible_; }
    void Visible(bool visible);
    // 0 default, 11 hourglass (and the other classic pointer numbers).
    int MousePointer() const { return mousePointer_; }
    void MousePointer(int pointer);
    // Only "both, when needed" (3): the way a ListView scrolls.
    int ScrollBars() const { return kScrollBarsBoth; }
    void ScrollBars(int value);
    COLORREF BackColor() const { return backColor_; }
    void BackColor(COLORREF color);
    const std::wstring& ToolTipText() const { return toolTipText_; }
    void ToolTipText(std::wstring_view text);

    // Raised for a mouse press on the grid, its header row included: button 1
    // left, 2 right, and the pointer's screen position. A press on a row first
    // makes that row current.
    std::function<void(int button, POINT screenPoint)> MouseDown;

    // The parent passes on its WM_NOTIFY; true when the notification was the
    // grid's, with result set to what the parent must return.
    bool OnNotify(NMHDR& header, LRESULT& result);

    // The message loop passes on every message before dispatching it: the
    // mouse's moves over the list and its header reach the tooltip this way.
    void RelayToToolTip(const MSG& message) const;

  private:
    struct Cell {
        std::wstring text;
        COLORREF back = 0;
        HICON picture = nullptr;
        std::wstring toolTip;
    };

    static LRESULT CALLBACK ListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    Cell& CurrentCell();
    const Cell& CurrentCell() const;
    bool IsHeaderRow(int row) const { return row == 0 && fixedRows_ == 1; }
    int ItemOfRow(int row) const { return row - fixedRows_; }
    void InsertListColumn(int col);
    void ShowHeaderText(int col);
    void RedrawRow(int row);
    void ShowCurrentRow();
    void UpdateItemCount();
    COLORREF CellColor(int row, int col) const;
    LRESULT OnCustomDraw(NMLVCUSTOMDRAW& draw) const;
    void DrawPictureCell(const NMLVCUSTOMDRAW& draw, const Cell& cell) const;
    void OnMouseMove(POINT clientPoint);
    const std::wstring& ListToolText() const;
    void ShowListToolText();
    void DescribeRows();
    void DescribeRow(int row);
    void OnPress(int button, int item, int subItem, POINT clientPoint);
    // Where the pointer was, in the list's client area, when the message being handled was sent.
    POINT MessagePoint() const;
    int FindTypedItem(const NMLVFINDITEMW& find) const;

    HWND list_ = nullptr;
    HWND header_ = nullptr;
    HWND tooltip_ = nullptr;
    WNDPROC listProc_ = nullptr; // the ListView's own procedure, under ListProc
    int dpi_ = 96;
    HFONT font_ = nullptr;
    std::vector<std::vector<Cell>> cells_ = std::vector<std::vector<Cell>>(2, std::vector<Cell>(2));
    int cols_ = 2;
    std::vector<bool> fitsHeader_ = std::vector<bool>(2, true); // per column: no width set
    int fixedRows_ = 1;
    int fixedCols_ = 0;
    int row_ = 1;
    int col_ = 0;
    bool visible_ = true;
    bool showingRow_ = false;
    int mousePointer_ = kPointerDefault;
    COLORREF backColor_ = RGB(255, 255, 255);
    std::wstring toolTipText_;
    // The cell under the pointer, for the tooltip; -1 when none.
    int hoverRow_ = -1;
    int hoverCol_ = -1;
    std::wstring listToolText_;           // what the list's tool reads now
    std::vector<std::wstring> described_; // each item's accessible description, as the system has it
};
