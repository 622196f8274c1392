// The catalogue in the main window's grid: what each row and cell shows.
#include "rules/GridText.h"
#include "rules/Trap.h"
#include "rules/resource.h"
#include "support/Grids.h"
#include "support/Worlds.h"
#include "toolkit/Ui.h"
#include "xtr/Catalogue.h"

#include <commctrl.h>

#include <functional>
#include <map>
#include <utility>
#include <vector>

using namespace testsupport;

namespace {
// A window that runs a piece of code when a posted message reaches it, as a
// user's command would during a rebuild.
class PostedCommand {
  public:
    explicit PostedCommand(std::function<void()> action) : action_(std::move(action)) {
        static const ATOM atom = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = &Proc;
            wc.hInstance = ::GetModuleHandleW(nullptr);
            wc.lpszClassName = L"QuillonTestPostedCommand";
            return ::RegisterClassW(&wc);
        }();
        window_ = ::CreateWindowW(reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(atom)), L"", 0, 0, 0, 0, 0,
                                  HWND_MESSAGE, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~PostedCommand() { ::DestroyWindow(window_); }
    void Post() { ::PostMessageW(window_, WM_APP, 0, 0); }
    int runs = 0;

  private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_APP) {
            auto* self = reinterpret_cast<PostedCommand*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
            ++self->runs;
            self->action_();
            return 0;
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    HWND window_ = nullptr;
    std::function<void()> action_;
};
} // namespace

TEST_F(GridTest, RowRShowsEntryRUnderSixHeaders) {
    ThreeEntries();
    ASSERT_TRUE(Start());
    const Grid& grid = form->grdXTRs();
    const HWND list = grid.Window();
    ASSERT_EQ(Catalogue().XtrCount, 3);
    EXPECT_EQ(grid.Rows(), 4);
    EXPECT_EQ(grid.Cols(), 6);
    EXPECT_EQ(ListView_GetItemCount(list), 3) << "row 0 is the header";
    ASSERT_EQ(HeaderCount(list), 6);
    for (int col = 0; col < 6; ++col) {
        EXPECT_EQ(HeaderText(list, col), kGridHeaders[static_cast<size_t>(col)]);
    }
    for (int r = 1; r <= 3; ++r) {
        const XtrRecord& entry = Catalogue().XtrTable[static_cast<size_t>(r)];
        const int item = r - 1;
        EXPECT_EQ(ItemText(list, item, 0), entry.title);
        EXPECT_EQ(ItemText(list, item, 1), entry.fileName);
        EXPECT_EQ(ItemText(list, item, 2), entry.autoStart ? L"True" : L"False");
        EXPECT_EQ(ItemText(list, item, 3), entry.autoStop ? L"True" : L"False");
        // A path without drive shows as relative to the UI-View32 folder; one with a drive as it is.
        EXPECT_EQ(ItemText(list, item, 4),
                  entry.fileName == L"two.xtr" ? host / L"Missing\\gone.exe" : L"<UIView-Dir>tool.exe");
        EXPECT_EQ(ItemText(list, item, 5), entry.active ? L"True" : L"False");
    }
    EXPECT_EQ(ItemText(list, 2, 0), L"Third");
    EXPECT_EQ(ItemText(list, 2, 4), L"<UIView-Dir>tool.exe");
    EXPECT_EQ(ItemText(list, 2, 5), L"False");

    const int dpi = SystemDpi(LOGPIXELSX);
    EXPECT_EQ(ListView_GetColumnWidth(list, 0), TwipsAt(3000, dpi));
    EXPECT_EQ(ListView_GetColumnWidth(list, 1), TwipsAt(2000, dpi));
    EXPECT_EQ(ListView_GetColumnWidth(list, 4), TwipsAt(3000, dpi));

    // Start-up makes the first row current, the ListView's focused and selected row.
    EXPECT_EQ(grid.Row(), 1);
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_FOCUSED), 0);
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), 0);
    EXPECT_EQ(ListView_GetSelectedCount(list), 1u);
    EXPECT_TRUE(::GetWindowLongPtrW(list, GWL_STYLE) & WS_VISIBLE);
    EXPECT_TRUE(Reports().empty());
}

TEST_F(GridTest, ApplicationCellsAreGreenOrRedAndTheToolTipSticks) {
    ThreeEntries();
    ASSERT_TRUE(Start());
    Grid& grid = form->grdXTRs();
    int missing = 0;
    for (int r = 1; r <= 3; ++r) {
        const bool found = Catalogue().XtrTable[static_cast<size_t>(r)].programFound;
        missing += found ? 0 : 1;
        const DrawAnswer path = DrawCell(*form, r - 1, 4);
        EXPECT_EQ(path.back, found ? RGB(0, 255, 0) : RGB(255, 0, 0)) << r;
        EXPECT_EQ(path.result, found ? CDRF_NEWFONT : CDRF_SKIPDEFAULT) << "a red cell the grid draws itself";
        if (r == grid.Row()) {
            EXPECT_NE(DrawCell(*form, r - 1, 0).back, RGB(255, 255, 255))
                << "the current row shows as selected";
        } else {
            EXPECT_EQ(DrawCell(*form, r - 1, 0).back, RGB(255, 255, 255))
                << "other cells keep the grid's background";
        }
    }
    ASSERT_EQ(missing, 1);
    EXPECT_EQ(grid.ToolTipText(), kInvalidPathTip);
    EXPECT_EQ(ShownToolTip(grid), kInvalidPathTip);

    // Every program found now: all green, and the tooltip is still there.
    ::CreateDirectoryW((host / L"Missing").c_str(), nullptr);
    WriteBytes(host / L"Missing\\gone.exe", "MZ");
    form->Rescan(form->CurrentPlace());
    for (int item = 0; item < 3; ++item) {
        EXPECT_EQ(DrawCell(*form, item, 4).back, RGB(0, 255, 0)) << item;
        EXPECT_EQ(DrawCell(*form, item, 4).result, CDRF_NEWFONT) << "no sign left";
    }
    EXPECT_EQ(grid.ToolTipText(), kInvalidPathTip);
    EXPECT_EQ(ShownToolTip(grid), kInvalidPathTip);

    // The other drawing stages ask for per-cell notifications.
    NMLVCUSTOMDRAW draw{};
    draw.nmcd.hdr = {grid.Window(), Form1::kGrdXTRs, static_cast<UINT>(NM_CUSTOMDRAW)};
    draw.nmcd.dwDrawStage = CDDS_PREPAINT;
    EXPECT_EQ(::SendMessageW(form->Window(), WM_NOTIFY, Form1::kGrdXTRs, reinterpret_cast<LPARAM>(&draw)),
              CDRF_NOTIFYITEMDRAW);
    draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
    EXPECT_EQ(::SendMessageW(form->Window(), WM_NOTIFY, Form1::kGrdXTRs, reinterpret_cast<LPARAM>(&draw)),
              CDRF_NOTIFYSUBITEMDRAW);
}

TEST_F(GridTest, NoToolTipWhileEveryProgramIsFound) {
    WriteBytes(host / L"tool.exe", "MZ");
    Xtr(host / L"one.xtr", "First", "tool.exe", true, false);
    ASSERT_TRUE(Start());
    EXPECT_TRUE(form->grdXTRs().ToolTipText().empty());
    EXPECT_TRUE(ShownToolTip(form->grdXTRs()).empty());
}

TEST_F(GridTest, NoFilesGiveOneCellAsWideAsTheGrid) {
    ThreeEntries();
    ASSERT_TRUE(Start()); // a full grid first: the empty layout must undo it
    ::DeleteFileW((host / L"one.xtr").c_str());
    ::DeleteFileW((host / L"two.xtr").c_str());
    ::DeleteFileW(InSaved(L"three.xtr").c_str());
    form->Rescan(form->CurrentPlace());

    const Grid& grid = form->grdXTRs();
    const HWND list = grid.Window();
    EXPECT_EQ(grid.Rows(), 1);
    EXPECT_EQ(grid.Cols(), 1);
    EXPECT_EQ(ListView_GetItemCount(list), 0);
    ASSERT_EQ(HeaderCount(list), 1);
    EXPECT_EQ(HeaderText(list, 0), L"Sorry, No XTR files found...");
    RECT rect;
    ::GetClientRect(list, &rect);
    EXPECT_EQ(ListView_GetColumnWidth(list, 0), rect.right) << "no scroll bar that scrolls nothing";
    EXPECT_FALSE(::GetWindowLongPtrW(list, GWL_STYLE) & WS_HSCROLL);
    EXPECT_EQ(grid.Row(), 0);
    EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_FOCUSED), -1);
    EXPECT_TRUE(Reports().empty());
}

// A rescan swaps the catalogue and the row count in one step, with no message
// round in between: nothing can paint or click a half-filled or stale grid.
TEST_F(GridTest, ARescanShowsTheNewRowsInOneStepWithoutLettingMessagesRun) {
    ThreeEntries();
    ASSERT_TRUE(Start());
    const HWND list = form->grdXTRs().Window();
    int countWhenRun = -1;
    PostedCommand command([&] { countWhenRun = ListView_GetItemCount(list); });
    command.Post();
    WriteBytes(host / L"four.xtr", "Fourth\r\ntool.exe\r\nTrue\r\nTrue\r\n");
    form->Rescan(form->CurrentPlace());
    EXPECT_EQ(command.runs, 0) << "no message round inside the rescan";
    PumpMessages();
    EXPECT_EQ(countWhenRun, 4);
    EXPECT_EQ(ItemText(list, IndexOf(L"four.xtr") - 1, 0), L"Fourth");
    EXPECT_TRUE(::GetWindowLongPtrW(list, GWL_STYLE) & WS_VISIBLE) << "never hidden";
}

// About one man in twelve cannot tell the red cell from the green one.
TEST_F(GridTest, AMissingProgramsCellCarriesASignAndATipOfItsOwn) {
    ThreeEntries();
    Xtr(host / L"zz.xtr", std::string(150, 'W'), "tool.exe", false, false); // cut at any font and DPI
    ASSERT_TRUE(Start());
    const Grid& grid = form->grdXTRs();
    const int one = IndexOf(L"one.xtr") - 1, two = IndexOf(L"two.xtr") - 1, zz = IndexOf(L"zz.xtr") - 1;
    ASSERT_FALSE(Catalogue().XtrTable[static_cast<size_t>(two) + 1].programFound);
    ::ShowWindow(form->Window(), SW_SHOWNA);
    ::RedrawWindow(form->Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RECT cell{};
    ListView_GetSubItemRect(grid.Window(), two, 4, LVIR_BOUNDS, &cell);
    const struct GridDC {
        HWND window;
        HDC dc;
        ~GridDC() { ::ReleaseDC(window, dc); }
    } dc{grid.Window(), ::GetDC(grid.Window())};
    int sign = 0; // pixels of the system's yellow warning sign at the cell's left
    for (LONG y = cell.top; y < cell.bottom; ++y) {
        for (LONG x = cell.left; x < cell.left + (cell.bottom - cell.top); ++x) {
            const COLORREF pixel = ::GetPixel(dc.dc, x, y);
            sign += GetRValue(pixel) > 128 && GetGValue(pixel) > 128 && GetBValue(pixel) < 128 ? 1 : 0;
        }
    }
    EXPECT_GT(sign, 10);

    // The tooltip follows the pointer: over the red cell the path the scan
    // looked for (the setting is not read again), over a cut cell its whole
    // text, elsewhere the grid's own.
    registry.SetHostFolderSetting(host / L"Elsewhere\\");
    const std::pair<POINT, std::wstring> tips[] = {
        {{two, 4}, L"Program not found: " + (host / L"Missing\\gone.exe")},
        {{one, 4}, kInvalidPathTip},
        {{two, 0}, kInvalidPathTip},
        {{zz, 0}, std::wstring(150, L'W')},
        {{zz, 1}, kInvalidPathTip},
    };
    for (const auto& [where, tip] : tips) {
        ListView_GetSubItemRect(grid.Window(), where.x, where.y, LVIR_BOUNDS, &cell);
        ::SendMessageW(grid.Window(), WM_MOUSEMOVE, 0, MAKELPARAM(cell.left + 4, cell.top + 4));
        EXPECT_EQ(ShownToolTip(grid), tip) << where.x << ", " << where.y;
    }
}

// A screen reader cannot see red or a sign: the row's accessible description
// says what the pointer's tip says, kept as the rows change.
TEST_F(GridTest, AMissingProgramsRowIsDescribedForScreenReaders) {
    ThreeEntries();
    ASSERT_TRUE(Start());
    PumpMessages(); // told once the rows are painted
    const HWND list = form->grdXTRs().Window();
    ASSERT_FALSE(Catalogue().XtrTable[2].programFound);
    using Description = std::tuple<HWND, long, std::wstring>;
    const std::wstring missing = L"Program not found: " + (host / L"Missing\\gone.exe");
    EXPECT_EQ(answers.descriptions, (std::vector<Description>{{list, 2, missing}}))
        << "the second row's item";

    form->Rescan(form->CurrentPlace());
    PumpMessages();
    EXPECT_EQ(answers.descriptions.size(), 1u) << "told again only when it changes";

    ::CreateDirectoryW((host / L"Missing").c_str(), nullptr);
    WriteBytes(host / L"Missing\\gone.exe", "MZ");
    form->Rescan(form->CurrentPlace());
    PumpMessages();
    EXPECT_EQ(answers.descriptions.back(), (Description{list, 2, L""})) << "found now: taken away";
}

// A program that is not looked for, at start-up or on F5, is red with the sign, and its tip says why: its
// server is outside the local network or cannot be told, or no program is given.
TEST_F(GridTest, AProgramNotLookedForIsRedAndSaysWhy) {
    Xtr(host / L"a.xtr", "Far", "\\\\203.0.113.9\\x\\a.exe", false, false);
    Xtr(host / L"b.xtr", "Odd", "\\\\.\\pipe\\a.exe", false, false);
    Xtr(host / L"c.xtr", "None", "", false, false);
    ASSERT_TRUE(Start());
    form->OnCommand(IDM_VIEW_REFRESH);
    PumpMessages();
    const std::map<std::wstring, std::wstring> tips = {
        {L"a.xtr",
         L"Quillon did not look for \\\\203.0.113.9\\x\\a.exe: the server 203.0.113.9 is outside the "
         L"local network."},
        {L"b.xtr", L"Quillon did not look for \\\\.\\pipe\\a.exe: its server cannot be told."},
        {L"c.xtr", L"No program is given."}};
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(DrawCell(*form, row, 4).back, RGB(255, 0, 0));
        EXPECT_EQ(DrawCell(*form, row, 4).result, CDRF_SKIPDEFAULT) << "drawn with the sign";
    }
    ASSERT_EQ(answers.descriptions.size(), 3u);
    for (const auto& [window, child, text] : answers.descriptions) {
        EXPECT_EQ(text, tips.at(Catalogue().XtrTable[static_cast<size_t>(child)].fileName));
    }
}

// The user's place after a rescan: the entry of the file asked for while it
// is listed (letter case aside), else the row asked for within the list (0:
// the current one); always on screen.
TEST_F(GridTest, ARebuildPutsTheCurrentRowOnThePlaceAskedFor) {
    for (int i = 10; i < 50; ++i) {
        Xtr(host / (L"f" + std::to_wstring(i) + L".xtr"), "Tool", "tool.exe", true, false);
    }
    ASSERT_TRUE(Start());
    ::ShowWindow(form->Window(), SW_SHOWNA);
    Grid& grid = form->grdXTRs();
    const std::wstring folder = EntryNamed(L"f10.xtr").folder;
    // Each place asked for, and the file then current, or else its row.
    const struct {
        CataloguePlace place;
        const wchar_t* file;
        int row;
    } cases[] = {{{folder, L"f49.xtr", 1}, L"f49.xtr", 0},
                 {{folder, L"F20.XTR", 9}, L"f20.xtr", 0},
                 {{folder, L"gone.xtr", 5}, nullptr, 5},
                 {{L"", L"", 99}, nullptr, 40},
                 {{L"", L"", 0}, nullptr, 40}};
    for (const auto& [place, file, expected] : cases) {
        form->Rescan(place);
        const int row = file != nullptr ? IndexOf(file) : expected;
        const int top = ListView_GetTopIndex(grid.Window());
        EXPECT_EQ(grid.Row(), row) << ToAnsi(place.fileName) << " " << place.row;
        EXPECT_EQ(ListView_GetNextItem(grid.Window(), -1, LVNI_FOCUSED), row - 1);
        EXPECT_TRUE(row - 1 >= top && row - 1 < top + ListView_GetCountPerPage(grid.Window())) << "on screen";
    }

    // Refresh keeps the file while it is listed, else its row.
    grid.Row(IndexOf(L"f30.xtr"));
    ::DeleteFileW((host / L"f11.xtr").c_str());
    form->Rescan(form->CurrentPlace());
    EXPECT_EQ(grid.Row(), IndexOf(L"f30.xtr"));
    const int row = grid.Row();
    ::DeleteFileW((host / L"f30.xtr").c_str());
    form->Rescan(form->CurrentPlace());
    EXPECT_EQ(grid.Row(), row);
}
