#include "rules/AppInfo.h"
#include "rules/resource.h"
#include "support/Worlds.h"

#include <commctrl.h>

#include <algorithm>
#include <set>

using namespace testsupport;

namespace {
// An item's caption with its access-key mark.
std::wstring MarkedMenuText(HMENU menu, UINT position) {
    wchar_t text[128] = L"";
    ::GetMenuStringW(menu, position, text, 128, MF_BYPOSITION);
    return text;
}

// An item's caption as it reads.
std::wstring MenuText(HMENU menu, UINT position) { return WithoutAccessKey(MarkedMenuText(menu, position)); }

using Form1Test = MainWindowTest;
} // namespace

TEST_F(Form1Test, StartUpGivesTheCaptionFromTheVersionResource) {
    ASSERT_TRUE(Start());
    EXPECT_EQ(ShownText(form->Window()), L"UI-View Quillon V1.1.0");
    EXPECT_EQ(Form1::Instance(), form.get());
    EXPECT_EQ(HostFolder, host.Path());
    EXPECT_FALSE(::IsWindowVisible(form->Window())) << "start-up runs before the window is shown";
    EXPECT_TRUE(answers.messages.empty());
}

TEST_F(Form1Test, WithoutTheSettingNoWindowIsEverShown) {
    ScratchRegistry empty; // a second, empty scratch key takes over HKEY_CURRENT_USER
    Form1 start;
    EXPECT_FALSE(start.Create(::GetModuleHandleW(nullptr)));
    EXPECT_EQ(start.Window(), nullptr);
    EXPECT_EQ(Form1::Instance(), nullptr);
    ASSERT_EQ(answers.messages.size(), 1u);
    EXPECT_EQ(answers.messages[0].text, L"Can not locate the UIView32 folder");
}

TEST_F(Form1Test, MenuBarAndContextMenu) {
    ASSERT_TRUE(Start());
    HMENU bar = ::GetMenu(form->Window());
    ASSERT_EQ(::GetMenuItemCount(bar), 3) << "Popup1 is not on the menu bar";
    EXPECT_EQ(MenuText(bar, 0), L"File");
    EXPECT_EQ(MenuText(bar, 1), L"View");
    EXPECT_EQ(MenuText(bar, 2), L"Help");
    EXPECT_EQ(MarkedMenuText(::GetSubMenu(bar, 0), 0), L"E&xit");
    EXPECT_EQ(MenuText(::GetSubMenu(bar, 1), 0), L"Refresh\tF5");
    EXPECT_EQ(MenuText(::GetSubMenu(bar, 2), 0), L"Check for updates");
    EXPECT_EQ(MenuText(::GetSubMenu(bar, 2), 1), L"About");

    HMENU popup = form->Popup1();
    ASSERT_EQ(::GetMenuItemCount(popup), 8);
    const wchar_t* expected[] = {L"View",   L"", L"Edit",       L"New",
                                 L"Delete", L"", L"Set Active", L"Set Inactive"};
    for (UINT i = 0; i < 8; ++i) {
        EXPECT_EQ(MenuText(popup, i), expected[i]) << i;
    }
}

// Alt and a letter, as Windows users expect: each menu and each item answers to one of its own.
TEST_F(Form1Test, EveryMenuAndItemHasAnAccessKeyOfItsOwn) {
    ASSERT_TRUE(Start());
    HMENU bar = ::GetMenu(form->Window());
    std::vector<HMENU> menus{bar, form->Popup1()};
    for (int i = 0; i < ::GetMenuItemCount(bar); ++i) {
        menus.push_back(::GetSubMenu(bar, i));
    }
    for (HMENU menu : menus) {
        std::set<wchar_t> keys;
        for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
            if (::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR) {
                continue;
            }
            const std::wstring caption = MarkedMenuText(menu, static_cast<UINT>(i));
            const wchar_t key = AccessKeyOf(caption);
            EXPECT_NE(key, 0) << caption;
            EXPECT_TRUE(keys.insert(key).second) << caption << ": another item of its menu has that key";
        }
    }
}

TEST_F(Form1Test, F5IsRefresh) {
    ASSERT_TRUE(Start());
    HACCEL accelerators =
        ::LoadAcceleratorsW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_ACCELERATORS));
    ACCEL table[4];
    const int count = ::CopyAcceleratorTableW(accelerators, table, 4);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(table[0].key, VK_F5);
    EXPECT_EQ(table[0].cmd, IDM_VIEW_REFRESH);
    MSG f5{form->grdXTRs().Window(), WM_KEYDOWN, VK_F5, 0, 0, {}};
    EXPECT_TRUE(form->PreTranslateMessage(f5)) << "F5 is translated anywhere in the main window";
}

// The grid fills a larger window but for its designed margins, the
// Application Path column taking the width; the window gets no smaller than designed.
TEST_F(Form1Test, TheGridFollowsTheWindowAboveItsDesignedSize) {
    WriteBytes(host / L"a.xtr", "Tool\r\ntool.exe\r\nTrue\r\nFalse\r\n");
    ASSERT_TRUE(Start());
    const int dpi = SystemDpi();
    RECT client;
    ::GetClientRect(form->Window(), &client);
    EXPECT_EQ(client.right, TwipsAt(11550, dpi));
    const HWND list = form->grdXTRs().Window();
    const RECT grid = PlacedIn(form->Window(), list);
    EXPECT_EQ(grid.left, TwipsAt(120, dpi));
    EXPECT_EQ(grid.top, TwipsAt(720, dpi));
    EXPECT_EQ(grid.right - grid.left, TwipsAt(11295, dpi));
    EXPECT_EQ(PlacedIn(form->Window(), form->Control(Form1::kLabel1)).top, TwipsAt(120, dpi));
    EXPECT_EQ(ShownText(form->Control(Form1::kLabel1)), L"Manage XTR files");

    RECT frame;
    ::GetWindowRect(form->Window(), &frame);
    const SIZE designed{frame.right - frame.left, frame.bottom - frame.top};
    const int widths[2] = {ListView_GetColumnWidth(list, 0), ListView_GetColumnWidth(list, 4)};
    // 300 pixels more each way, where the screen has room for them.
    const SIZE room{::GetSystemMetrics(SM_CXMAXTRACK) - designed.cx,
                    ::GetSystemMetrics(SM_CYMAXTRACK) - designed.cy};
    for (const SIZE grown : {SIZE{std::min(300L, room.cx), std::min(300L, room.cy)}, SIZE{0, 0}}) {
        ::SetWindowPos(form->Window(), nullptr, 0, 0, designed.cx + grown.cx, designed.cy + grown.cy,
                       SWP_NOMOVE | SWP_NOZORDER);
        form->OnCommand(IDM_VIEW_REFRESH); // a refill keeps the widths
        const RECT now = PlacedIn(form->Window(), list);
        EXPECT_EQ(now.right - now.left, grid.right - grid.left + grown.cx);
        EXPECT_EQ(now.bottom - now.top, grid.bottom - grid.top + grown.cy);
        EXPECT_EQ(ListView_GetColumnWidth(list, 0), widths[0]);
        EXPECT_EQ(ListView_GetColumnWidth(list, 4), widths[1] + grown.cx);
    }
    MINMAXINFO limits{};
    ::SendMessageW(form->Window(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    MONITORINFO monitor{sizeof(monitor), {}, {}, 0};
    ::GetMonitorInfoW(::MonitorFromWindow(form->Window(), MONITOR_DEFAULTTONEAREST), &monitor);
    EXPECT_EQ(limits.ptMinTrackSize.x, std::min(designed.cx, monitor.rcWork.right - monitor.rcWork.left));
    EXPECT_EQ(limits.ptMinTrackSize.y, std::min(designed.cy, monitor.rcWork.bottom - monitor.rcWork.top));
}

TEST_F(Form1Test, ExitClosesEveryWindowAtOnce) {
    ASSERT_TRUE(Start());
    HWND other = ::CreateWindowExW(0, L"STATIC", L"another window of the program", WS_OVERLAPPED, 0, 0, 50,
                                   50, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    form->OnCommand(IDM_FILE_EXIT);
    EXPECT_FALSE(::IsWindow(other));
    EXPECT_EQ(form->Window(), nullptr);
    EXPECT_TRUE(answers.messages.empty()) << "nothing is asked";
}

TEST_F(Form1Test, TheGridHasTheKeyboardBackWhenTheWindowIsActiveAgain) {
    ASSERT_TRUE(Start());
    ::ShowWindow(form->Window(), SW_SHOW);
    ::SetFocus(form->grdXTRs().Window());
    ::SendMessageW(form->Window(), WM_ACTIVATE, WA_INACTIVE, 0); // a question of the program comes up
    ::SetFocus(nullptr);
    ::SendMessageW(form->Window(), WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(::GetFocus(), form->grdXTRs().Window());
}

// The grid hides while it refills, which sends the keyboard to the frame: it
// comes back to the grid after every rebuild.
TEST_F(Form1Test, TheGridHasTheKeyboardAgainAfterEveryRebuild) {
    const std::string tool = "Tool\r\ntool.exe\r\nTrue\r\nFalse\r\n";
    WriteBytes(host / L"a.xtr", tool);
    WriteBytes(host / L"b.xtr", tool);
    ASSERT_TRUE(Start());
    ::ShowWindow(form->Window(), SW_SHOW);
    ::SetForegroundWindow(form->Window());
    const HWND grid = form->grdXTRs().Window();
    ::SetFocus(grid);
    ASSERT_EQ(::GetFocus(), grid);

    form->OnCommand(IDM_VIEW_REFRESH);
    EXPECT_EQ(::GetFocus(), grid) << "F5";
    RightPress(IndexOf(L"a.xtr"), IDM_POPUP1_SETINACTIVE);
    EXPECT_EQ(::GetFocus(), grid) << "Set Inactive";

    Edit(L"b.xtr");
    ::SetWindowTextW(Editor().txtTitle(), L"Changed");
    Click(Editor().cmdOK());
    PumpMessages();
    if (::GetActiveWindow() != form->Window()) {
        // Which window the system activates next is its choice: the main window gets the keyboard then.
        ::SendMessageW(form->Window(), WM_ACTIVATE, WA_ACTIVE, 0);
    }
    EXPECT_EQ(::GetFocus(), grid) << "the editor's OK";
}
