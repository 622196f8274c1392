#pragma once
// The catalogue's grid over a virtual report-view ListView: a header row (the
// ListView's header) above rows of cells, each cell written by its row and
// column, with a background colour, a small picture and a tip of its own; a
// current row that only the user and Row(row) move; column widths in twips,
// one of which takes what the grid gains when its window grows; one tooltip
// for the whole grid; type-ahead on the first column; a busy pointer and a
// mouse-press event.
#include "system/Win32.h"

#include <commctrl.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

class Grid {
  public:
    Grid() = default;
    ~Grid();
    Grid(const Grid&) = delete;
    Grid& operator=(const Grid&) = delete;

    // Creates the ListView as child id of parent at the given pixel rectangle,
    // the grid's designed place. It dies with its parent. False (the thread's
    // last error set) when it could not be made.
    bool Create(HWND parent, int id, const RECT& placement, HFONT font);
    HWND Window() const { return list_; }
    HWND ToolTipWindow() const { return tooltip_; }

    // Empties every cell: text, colour, picture and tip.
    void Clear();

    // Row 0 is the header row; rows 1 and on are the list's items.
    int Rows() const { return static_cast<int>(cells_.size()); }
    void Rows(int count);
    int Cols() const { return cols_; }
    void Cols(int count);

    // The current row: the ListView's focused, selected item, or 0 when no data
    // row is current. Filling the cells never moves it; fewer rows bring it
    // back to the last one.
    int Row() const { return row_; }
    // Makes a data row current and scrolls it into view; 0 makes none current.
    void Row(int row);

    // Cells, by row and column (row 0: the header texts). A failure is Err::SubscriptOutOfRange.
    const std::wstring& Text(int row, int col) const;
    void Text(int row, int col, std::wstring_view text);
    // 0 means the grid's white.
    void CellBackColor(int row, int col, COLORREF color);
    // A small picture at the left of the cell, drawn at the row's height
    // before the text; null for none. The caller keeps the icon alive.
    void CellPicture(int row, int col, HICON picture);
    // What the tooltip reads while the pointer rests on the cell; empty for
    // the cell's whole text when the column cuts it, else the grid's own. A
    // screen reader is told the same: a row's cells' own tips are the row's
    // accessible description.
    void CellToolTipText(int row, int col, std::wstring_view text);

    // In twips, for the grid at its designed size. A column whose width is not
    // set is as wide as its header text needs, so that no header is cut short at any DPI.
    void ColWidth(int col, int twips);
    // The column that also takes the width the grid gains beyond its designed size; -1 for none.
    void StretchCol(int col);
    // The width in pixels a header needs to show text whole in font: the text
    // as the header draws it, and the header's margin (three edges) either side.
    static int HeaderWidth(std::wstring_view text, HFONT font);
    // The grid's width at its designed size, in twips.
    int DesignedWidth() const;

    // Shown again, the grid takes back the keyboard that hiding it sent to its window.
    bool Visible() const { return visible_; }
    void Visible(bool visible);
    // The hourglass over the grid while it is busy.
    bool Busy() const { return busy_; }
    void Busy(bool busy) { busy_ = busy; }
    // The tooltip of the whole grid, where no cell has its own.
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
    Cell& At(int row, int col);
    const Cell& At(int row, int col) const;
    void CellChanged(int row);
    void InsertListColumn(int col);
    void ShowHeaderText(int col);
    void ShowColWidth(int col);
    void ShowCurrentRow();
    void UpdateItemCount();
    LRESULT OnCustomDraw(NMLVCUSTOMDRAW& draw) const;
    void DrawPictureCell(const NMLVCUSTOMDRAW& draw, const Cell& cell) const;
    void OnMouseMove(POINT clientPoint);
    bool IsCut(int row, int col) const;
    const std::wstring& ListToolText() const;
    void ShowListToolText();
    void DescribeRows();
    void DescribeRow(int row);
    void OnPress(int button, int item, POINT clientPoint);
    // Where the pointer was, in the list's client area, when the message being handled was sent.
    POINT MessagePoint() const;
    int FindTypedItem(const NMLVFINDITEMW& find) const;
    int PixelWidth() const;

    HWND list_ = nullptr;
    HWND header_ = nullptr;
    HWND tooltip_ = nullptr;
    WNDPROC listProc_ = nullptr; // the ListView's own procedure, under ListProc
    int dpi_ = 96;
    HFONT font_ = nullptr;
    int designedWidth_ = 0; // in pixels
    std::vector<std::vector<Cell>> cells_ = std::vector<std::vector<Cell>>(1, std::vector<Cell>(1));
    int cols_ = 1;
    std::vector<int> widths_ = std::vector<int>(1, -1); // per column, in twips; -1 while not set
    int stretchCol_ = -1;
    int row_ = 0;
    bool visible_ = true;
    bool keyboardWasHere_ = false; // the list had the keyboard when it was hidden
    bool showingRow_ = false;
    bool busy_ = false;
    std::wstring toolTipText_;
    // The cell under the pointer, for the tooltip; -1 when none.
    int hoverRow_ = -1;
    int hoverCol_ = -1;
    std::wstring listToolText_;           // what the list's tool reads now
    std::vector<std::wstring> described_; // each item's accessible description, as the system has it
};
