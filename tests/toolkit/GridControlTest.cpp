// The grid control itself, on the main window: its headers, tooltip, presses,
// cells and current row.
#include "rules/GridText.h"
#include "rules/Trap.h"
#include "support/Grids.h"
#include "toolkit/Form.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>
#include <vector>

using namespace testsupport;

// Every header shows its whole text: at the screen's resolution in the font
// the header shows, and as designed at 96, 120 and 144 dots per inch, where the
// six columns also fit the grid's designed width.
TEST_F(GridTest, EveryHeaderShowsItsWholeTextAtThreeResolutions) {
    ThreeEntries();
    ASSERT_TRUE(Start());
    const HWND list = form->grdXTRs().Window();
    const HWND header = ListView_GetHeader(list);
    // The width a header needs for text in font: the text's, and the header's margin either side.
    auto needed = [header](const std::wstring& text, HGDIOBJ font) {
        const UniqueMemoryDC dc(::CreateCompatibleDC(nullptr));
        const SavedDC saved(dc.get());
        ::SelectObject(dc.get(), font);
        SIZE size{};
        ::GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
        return size.cx + 2 * Header_GetBitmapMargin(header);
    };
    const auto shownFont = reinterpret_cast<HGDIOBJ>(::SendMessageW(header, WM_GETFONT, 0, 0));
    for (int col = 0; col < 6; ++col) {
        EXPECT_GE(ListView_GetColumnWidth(list, col), needed(HeaderText(list, col), shownFont)) << col;
    }
    const int designed[6] = {3000, 2000, 0, 0, 3000, 0}; // 0: as wide as the header needs
    for (int dpi : {96, 120, 144}) {
        UniqueGdiObject font(
            CreateFormFont({L"MS Sans Serif", 825, FW_NORMAL}, dpi)); // the grid's, 8.25 points
        int total = 0;
        for (int col = 0; col < 6; ++col) {
            const int width = needed(kGridHeaders[static_cast<size_t>(col)], font.get());
            EXPECT_TRUE(designed[col] == 0 || TwipsAt(designed[col], dpi) >= width) << col << " at " << dpi;
            total += std::max(width, TwipsAt(designed[col], dpi));
        }
        const int room =
            TwipsAt(11295, dpi) - 2 * ::GetSystemMetrics(SM_CXEDGE) - ::GetSystemMetrics(SM_CXVSCROLL);
        EXPECT_LE(total, room) << "at " << dpi << " dpi";
    }
}

namespace {
// What the grid's tooltip is told of the mouse, recorded in front of its own
// procedure (a named CALLBACK, not a lambda: a 32-bit window procedure is stdcall).
std::vector<std::pair<HWND, UINT>> relayed;
WNDPROC tooltipProc = nullptr;
LRESULT CALLBACK RecordRelays(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == TTM_RELAYEVENT) {
        const MSG& relay = *reinterpret_cast<const MSG*>(lParam);
        relayed.emplace_back(relay.hwnd, relay.message);
    }
    return ::CallWindowProcW(tooltipProc, window, message, wParam, lParam);
}
} // namespace

TEST_F(GridTest, MouseMessagesReachTheToolTipThroughTheMessageLoop) {
    ThreeEntries();
    ASSERT_TRUE(Start());
    const Grid& grid = form->grdXTRs();
    relayed.clear();
    tooltipProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(grid.ToolTipWindow(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordRelays)));

    const HWND header = ListView_GetHeader(grid.Window());
    auto pass = [&](HWND window, UINT code) {
        MSG message{};
        message.hwnd = window;
        message.message = code;
        form->PreTranslateMessage(message);
    };
    pass(grid.Window(), WM_MOUSEMOVE);
    pass(header, WM_LBUTTONDOWN);
    pass(grid.Window(), WM_KEYDOWN);
    pass(form->Window(), WM_MOUSEMOVE);
    ::SetWindowLongPtrW(grid.ToolTipWindow(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(tooltipProc));
    const std::vector<std::pair<HWND, UINT>> expected{{grid.Window(), WM_MOUSEMOVE},
                                                      {header, WM_LBUTTONDOWN}};
    EXPECT_EQ(relayed, expected);
}

TEST_F(GridTest, APressMakesItsRowCurrentAndReachesMouseDown) {
    ThreeEntries();
    ASSERT_TRUE(Start());
    Grid& grid = form->grdXTRs();
    std::vector<int> buttons;
    POINT where{};
    grid.MouseDown = [&](int button, POINT screenPoint) {
        buttons.push_back(button);
        where = screenPoint;
    };
    auto press = [&](UINT code, int item, int subItem) {
        NMITEMACTIVATE activate{};
        activate.hdr = {grid.Window(), Form1::kGrdXTRs, code};
        activate.iItem = item;
        activate.iSubItem = subItem;
        activate.ptAction = {5, 7};
        ::SendMessageW(form->Window(), WM_NOTIFY, Form1::kGrdXTRs, reinterpret_cast<LPARAM>(&activate));
    };
    grid.Row(2);
    press(NM_RCLICK, 0, 2);
    EXPECT_EQ(buttons, std::vector<int>{2});
    EXPECT_EQ(grid.Row(), 1);
    EXPECT_EQ(ListView_GetNextItem(grid.Window(), -1, LVNI_FOCUSED), 0);
    EXPECT_EQ(ListView_GetSelectedCount(grid.Window()), 1u) << "the row made current before is released";
    POINT expected{5, 7};
    ::ClientToScreen(grid.Window(), &expected);
    EXPECT_EQ(where.x, expected.x);
    EXPECT_EQ(where.y, expected.y);

    press(NM_CLICK, -1, 0); // below the last row: the current row stays
    EXPECT_EQ(buttons, (std::vector<int>{2, 1}));
    EXPECT_EQ(grid.Row(), 1);

    // The keyboard (or any selection change) moves the current row too.
    ListView_SetItemState(grid.Window(), 1, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
    EXPECT_EQ(grid.Row(), 2);
}

// The list keeps no cells: it asks its owner whenever it shows one. A shorter
// list brings the current row back within it.
TEST_F(GridTest, CellsComeFromTheOwnerAndTheCurrentRowStaysWithinTheList) {
    ThreeEntries();
    ASSERT_TRUE(Start());
    Grid& grid = form->grdXTRs();
    grid.Row(3);
    EXPECT_THROW(grid.Row(4), TrapError);
    EXPECT_THROW(grid.Row(-1), TrapError);
    EXPECT_EQ(grid.Row(), 3) << "a refused row leaves the current one";

    grid.CellSource = [](int row, int col) {
        GridCell cell;
        cell.text = std::to_wstring(row) + L"," + std::to_wstring(col);
        cell.back = col == 1 ? RGB(1, 2, 3) : 0;
        return cell;
    };
    grid.Show({{L"A"}, {L"B"}}, 2, -1);
    EXPECT_EQ(grid.Row(), 2);
    EXPECT_EQ(ListView_GetNextItem(grid.Window(), -1, LVNI_FOCUSED), 1);
    EXPECT_EQ(ListView_GetItemCount(grid.Window()), 2);
    EXPECT_EQ(HeaderCount(grid.Window()), 2);
    EXPECT_EQ(ItemText(grid.Window(), 1, 1), L"2,1");
    EXPECT_EQ(DrawCell(*form, 0, 1).back, RGB(1, 2, 3));
}
