#pragma once
// The catalogue's grid over a virtual report-view ListView: a header row (the
// ListView's header) above data rows whose cells the owner gives whenever the
// list asks for them, so that the grid keeps no copy of them; each cell has a
// text, a background colour, a small picture and a tip of its own. A current
// row that only the user and Row(row) move; column widths in twips, one of
// which takes what the grid gains when its window grows; one tooltip for the
// whole grid; type-ahead on the first column; a mouse-press event.
#include "system/Win32.h"

#include <commctrl.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What one cell shows.
struct GridCell {
    std::wstring text;
    COLORREF back = 0;       // 0: the grid's white
    HICON picture = nullptr; // drawn at the left, at the row's height; the owner keeps it alive
    // What the tooltip reads while the pointer rests on the cell; empty for the
    // cell's whole text when the column cuts it, else the grid's own. A screen
    // reader is told the same: a row's cells' own tips are its accessible description.
    std::wstring toolTip;
};

// A column: its header text and width in twips (for the grid at its designed
// size); kHeaderWide: as wide as its header text needs, so that no header is
// cut at any DPI; kListWide: as wide as the list, and no wider.
struct GridColumn {
    static constexpr int kHeaderWide = -1;
    static constexpr int kListWide = -2;
    std::wstring header;
    int twips = kHeaderWide;
};

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

    // Where the cells come from: the cell of data row `row` (1 for the first) and column `col`.
    std::function<GridCell(int row, int col)> CellSource;

    // Shows these columns over `rows` data rows, in one step: the list never
    // shows a blank or half-filled grid, nor an old row under a new count.
    // stretchCol takes the width the grid gains beyond its designed size (-1:
    // none). The current row stays, or is the last one when the list got shorter.
    void Show(std::vector<GridColumn> columns, int rows, int stretchCol);

    // Row 0 is the header row; rows 1 and on are the list's items.
    int Rows() const { return rows_ + 1; }
    int Cols() const { return static_cast<int>(columns_.size()); }

    // The current row: the ListView's focused, selected item, or 0 when no data row is current.
    int Row() const { return row_; }
    // Makes a data row current and scrolls it into view; 0 makes none current.
    // Raises Err::SubscriptOutOfRange for a row that is not there.
    void Row(int row);

    // The tooltip of the whole grid, where no cell has its own.
    const std::wstring& ToolTipText() const { return toolTipText_; }
    void ToolTipText(std::wstring_view text);

    // Raised for a mouse press on the grid, its header row included: button 1
    // left, 2 right, and the pointer's screen position. A press on a row first
    // makes that row current.
    std::function<void(int button, POINT screenPoint)> MouseDown;

    // The parent passes on its WM_NOTIFY: what it must return when the
    // notification was the grid's, else nothing.
    std::optional<LRESULT> OnNotify(NMHDR& header);

    // The message loop passes on every message before dispatching it: the
    // mouse's moves over the list and its header reach the tooltip this way.
    void RelayToToolTip(const MSG& message) const;

  private:
    static LRESULT CALLBACK ListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    GridCell Cell(int row, int col) const;
    void ShowColWidth(int col);
    void ShowCurrentRow();
    LRESULT OnCustomDraw(NMLVCUSTOMDRAW& draw) const;
    void DrawPictureCell(const NMLVCUSTOMDRAW& draw, const GridCell& cell) const;
    std::wstring ListToolText() const;
    void ShowListToolText();
    void DescribeRows();
    void OnPress(int button, int item, POINT screenPoint);
    int FindTypedItem(const NMLVFINDITEMW& find) const;

    HWND list_ = nullptr;
    HWND header_ = nullptr;
    HWND tooltip_ = nullptr;
    WNDPROC listProc_ = nullptr; // the ListView's own procedure, under ListProc
    int dpi_ = 96;
    HFONT font_ = nullptr;
    int designedWidth_ = 0; // in pixels
    std::vector<GridColumn> columns_;
    int stretchCol_ = -1;
    int rows_ = 0;
    int row_ = 0;
    bool showingRow_ = false;
    std::wstring toolTipText_;
    // The cell under the pointer, for the tooltip; -1 when none.
    int hoverRow_ = -1;
    int hoverCol_ = -1;
    std::wstring listToolText_;           // what the list's tool reads now
    std::vector<std::wstring> described_; // each item's accessible description, as the system has it
};
