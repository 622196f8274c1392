#include "app/AppInfo.h"
#include "app/Form1.h"
#include "app/resource.h"
#include "host/HostFolder.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {
std::wstring WindowText(HWND window) {
    wchar_t text[256] = L"";
    ::GetWindowTextW(window, text, 256);
    return text;
}

std::wstring MenuText(HMENU menu, UINT position) {
    wchar_t text[128] = L"";
    ::GetMenuStringW(menu, position, text, 128, MF_BYPOSITION);
    return text;
}

class Form1Test : public testing::Test {
  protected:
    void SetUp() override {
        registry.SetHostFolderSetting(host.Path() + L"\\");
        ::CreateDirectoryW((host / L"SavedXTR").c_str(), nullptr);
    }
    void TearDown() override { PumpMessages(); }

    TempFolder host;
    ScratchRegistry registry;
    ModalAnswers answers;
};
} // namespace

TEST_F(Form1Test, StartUpGivesTheCaptionFromTheVersionResource) {
    Form1 form;
    ASSERT_TRUE(form.Create(::GetModuleHandleW(nullptr)));
    EXPECT_EQ(WindowText(form.Window()), L"UI-View Quillon V1.1.0");
    EXPECT_EQ(Form1::Instance(), &form);
    EXPECT_EQ(HostFolder, host.Path());
    EXPECT_FALSE(::IsWindowVisible(form.Window())) << "start-up runs before the window is shown";
    EXPECT_TRUE(answers.messages.empty());
}

TEST_F(Form1Test, WithoutTheSettingNoWindowIsEverShown) {
    ScratchRegistry empty; // a second, empty scratch key takes over HKEY_CURRENT_USER
    Form1 form;
    EXPECT_FALSE(form.Create(::GetModuleHandleW(nullptr)));
    EXPECT_EQ(form.Window(), nullptr);
    EXPECT_EQ(Form1::Instance(), nullptr);
    ASSERT_EQ(answers.messages.size(), 1u);
    EXPECT_EQ(answers.messages[0].text, L"Can not locate the UIView32 folder");
}

TEST_F(Form1Test, MenuBarAndContextMenu) {
    Form1 form;
    ASSERT_TRUE(form.Create(::GetModuleHandleW(nullptr)));
    HMENU bar = ::GetMenu(form.Window());
    ASSERT_EQ(::GetMenuItemCount(bar), 3) << "Popup1 is not on the menu bar";
    EXPECT_EQ(MenuText(bar, 0), L"File");
    EXPECT_EQ(MenuText(bar, 1), L"View");
    EXPECT_EQ(MenuText(bar, 2), L"Help");
    EXPECT_EQ(MenuText(::GetSubMenu(bar, 0), 0), L"E&xit");
    EXPECT_EQ(MenuText(::GetSubMenu(bar, 1), 0), L"Refresh\tF5");
    EXPECT_EQ(MenuText(::GetSubMenu(bar, 2), 0), L"Check for updates");
    EXPECT_EQ(MenuText(::GetSubMenu(bar, 2), 1), L"About");

    HMENU popup = form.Popup1();
    ASSERT_EQ(::GetMenuItemCount(popup), 8);
    const wchar_t* expected[] = {L"View",   L"", L"Edit",       L"New",
                                 L"Delete", L"", L"Set Active", L"Set Inactive"};
    for (UINT i = 0; i < 8; ++i) {
        EXPECT_EQ(MenuText(popup, i), expected[i]) << i;
    }
}

TEST_F(Form1Test, F5IsRefresh) {
    Form1 form;
    ASSERT_TRUE(form.Create(::GetModuleHandleW(nullptr)));
    HACCEL accelerators =
        ::LoadAcceleratorsW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_ACCELERATORS));
    ACCEL table[4];
    const int count = ::CopyAcceleratorTableW(accelerators, table, 4);
    ASSERT_EQ(count, 1);
    EXPECT_EQ(table[0].key, VK_F5);
    EXPECT_EQ(table[0].cmd, IDM_VIEW_REFRESH);
    MSG f5{form.grdXTRs().Window(), WM_KEYDOWN, VK_F5, 0, 0, {}};
    EXPECT_TRUE(form.PreTranslateMessage(f5)) << "F5 is translated anywhere in the main window";
}

TEST_F(Form1Test, LayoutIsFixedWhateverTheWindowSize) {
    Form1 form;
    ASSERT_TRUE(form.Create(::GetModuleHandleW(nullptr)));
    HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);

    RECT client;
    ::GetClientRect(form.Window(), &client);
    EXPECT_EQ(client.right, TwipsToPixels(11550, dpi));

    auto placement = [&](HWND control) {
        RECT rect;
        ::GetWindowRect(control, &rect);
        ::MapWindowPoints(nullptr, form.Window(), reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    };
    const RECT grid = placement(form.grdXTRs().Window());
    EXPECT_EQ(grid.left, TwipsToPixels(120, dpi));
    EXPECT_EQ(grid.top, TwipsToPixels(720, dpi));
    EXPECT_EQ(grid.right - grid.left, TwipsToPixels(11295, dpi));
    EXPECT_EQ(placement(form.Label1()).top, TwipsToPixels(120, dpi));
    EXPECT_EQ(WindowText(form.Label1()), L"Manage XTR files");

    ::SetWindowPos(form.Window(), nullptr, 0, 0, 1600, 1000, SWP_NOMOVE | SWP_NOZORDER);
    const RECT enlarged = placement(form.grdXTRs().Window());
    EXPECT_EQ(enlarged.right - enlarged.left, grid.right - grid.left);
    EXPECT_EQ(enlarged.bottom - enlarged.top, grid.bottom - grid.top);
}

TEST_F(Form1Test, ExitClosesEveryWindowAtOnce) {
    Form1 form;
    ASSERT_TRUE(form.Create(::GetModuleHandleW(nullptr)));
    HWND other = ::CreateWindowExW(0, L"STATIC", L"another window of the program", WS_OVERLAPPED, 0, 0, 50,
                                   50, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    form.OnCommand(IDM_FILE_EXIT);
    EXPECT_FALSE(::IsWindow(other));
    EXPECT_EQ(form.Window(), nullptr);
    EXPECT_TRUE(answers.messages.empty()) << "nothing is asked";
}
