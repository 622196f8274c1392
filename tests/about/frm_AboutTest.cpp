#include "about/frm_About.h"
#include "rules/AppInfo.h"
#include "rules/resource.h"
#include "support/Worlds.h"
#include "system/VersionInfo.h"

#include <algorithm>

using namespace testsupport;

namespace {
int AboutWindowsOfThisThread() {
    int count = 0;
    for (HWND window = nullptr; (window = ::FindWindowExW(nullptr, window, L"Quillonfrm_About", nullptr));) {
        count += ::GetWindowThreadProcessId(window, nullptr) == ::GetCurrentThreadId() ? 1 : 0;
    }
    return count;
}

// Runs a key press through dialog navigation, as the program's message loop does.
bool PressKey(HWND about, HWND focus, WPARAM key) {
    MSG press{focus, WM_KEYDOWN, key, 0, 0, {}};
    return ::IsDialogMessageW(about, &press) != 0;
}

// Help > About opens it from the main window; the other cases open it alone.
class AboutTest : public MainWindowTest {
  protected:
    void TearDown() override {
        if (frm_About* about = frm_About::Instance()) {
            ::DestroyWindow(about->Window());
        }
        MainWindowTest::TearDown();
    }

    frm_About& Open() {
        frm_About* about = frm_About::Show();
        EXPECT_NE(about, nullptr);
        return *about;
    }
};
} // namespace

TEST_F(AboutTest, TextsComeFromTheIdentityAndTheVersionResource) {
    const std::wstring legalNotice = ReadProgramVersionString(L"LegalCopyright");
    ASSERT_FALSE(legalNotice.empty()) << "the program's version resource carries a legal notice";
    frm_About& about = Open();

    // The title's version is the one the version resource carries.
    EXPECT_EQ(ShownText(about.Window()),
              L"About UI-View Quillon V" + ReadProgramVersionString(L"FileVersion"));
    const struct {
        frm_About::ControlId id;
        std::wstring text;
    } expected[] = {
        {frm_About::kLabel1, AppTitle},
        {frm_About::kLabel2, L"Written by Orrin TAMBER"},
        {frm_About::kLabel3, AppDescription},
        {frm_About::kLabel9, L"Translations"},
        {frm_About::kLblTranslators, L"No translations"},
        {frm_About::kLabel8, L"More information on this website"},
        {frm_About::kLabel4, L"Legal"},
        {frm_About::kLabel5, legalNotice},
        {frm_About::kLabel6, L""},
        {frm_About::kLabel7, L""},
        {frm_About::kCommand1, L"&OK"},
    };
    for (const auto& [id, text] : expected) {
        EXPECT_EQ(ShownText(about.Control(id)), text) << "control " << id;
    }
    EXPECT_NE(ShownText(about.Control(frm_About::kLblWebURL)).find(AppWebAddress), std::wstring::npos);
}

TEST(AboutControls, AnEmptyLegalNoticeReadsNotSetInProject) {
    const std::vector<FormControl> controls = frm_About::Controls(L"");
    const auto legal = std::find_if(controls.begin(), controls.end(), [](const FormControl& control) {
        return control.id == frm_About::kLabel5;
    });
    ASSERT_NE(legal, controls.end());
    EXPECT_EQ(legal->text, L"Not set in Project!");
}

TEST_F(AboutTest, LayoutInTwipsAtTheScreenResolutionWithItsFonts) {
    const int dpi = ScreenDpi();
    frm_About& about = Open();
    RECT client;
    ::GetClientRect(about.Window(), &client);
    EXPECT_EQ(client.right, TwipsAt(6390, dpi));
    // Taller only where a label needs room for its text (see FormLayoutTest).
    const std::vector<FormControl> designed = frm_About::Controls();
    FormFonts fonts;
    const FormLayout layout = LayOutForm(designed, frm_About::kClientTwips, fonts, dpi);
    EXPECT_EQ(client.bottom, layout.client.cy);
    EXPECT_GE(client.bottom, TwipsAt(5880, dpi));

    const struct {
        frm_About::ControlId id;
        int left, top, width, height, tenthPoints;
        bool bold;
    } expected[] = {
        {frm_About::kLabel1, 720, 0, 5295, 375, 975, true},
        {frm_About::kLabel2, 120, 480, 5295, 375, 825, true},
        {frm_About::kLabel3, 840, 840, 5295, 735, 825, false},
        {frm_About::kLblWebURL, 840, 3720, 5295, 255, 825, false},
        {frm_About::kLabel6, 840, 4440, 4095, 975, 825, false},
        {frm_About::kCommand1, 5280, 5280, 975, 375, 825, true},
    };
    for (const auto& control : expected) {
        HWND window = about.Control(control.id);
        const RECT rect = PlacedIn(about.Window(), window);
        EXPECT_EQ(rect.left, TwipsAt(control.left, dpi)) << control.id;
        EXPECT_EQ(rect.right - rect.left, TwipsAt(control.width, dpi)) << control.id;
        // The description may need more lines than designed: it and what lies below move down.
        if (control.top + control.height <= 840) {
            EXPECT_EQ(rect.top, TwipsAt(control.top, dpi)) << control.id;
            EXPECT_EQ(rect.bottom - rect.top, TwipsAt(control.height, dpi)) << control.id;
        }
        const auto at = std::find_if(designed.begin(), designed.end(),
                                     [&](const FormControl& made) { return made.id == control.id; });
        ASSERT_NE(at, designed.end()) << control.id;
        const RECT& laidOut = layout.placements[static_cast<size_t>(at - designed.begin())];
        EXPECT_TRUE(::EqualRect(&rect, &laidOut)) << control.id;
        EXPECT_GE(rect.bottom - rect.top, TwipsAt(control.height, dpi)) << control.id;
        LOGFONTW font{};
        ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0)), sizeof(font), &font);
        EXPECT_STREQ(font.lfFaceName, L"MS Sans Serif") << control.id;
        EXPECT_EQ(font.lfHeight, -::MulDiv(control.tenthPoints, dpi, 7200)) << control.id;
        EXPECT_EQ(font.lfWeight >= FW_BOLD, control.bold) << control.id;
    }
}

TEST_F(AboutTest, StaysOnTopAndIsCentredOnTheScreen) {
    frm_About& about = Open();
    EXPECT_TRUE(::GetWindowLongPtrW(about.Window(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT outer;
    ::GetWindowRect(about.Window(), &outer);
    EXPECT_EQ(outer.left, (::GetSystemMetrics(SM_CXSCREEN) - (outer.right - outer.left)) / 2);
    EXPECT_EQ(outer.top, (::GetSystemMetrics(SM_CYSCREEN) - (outer.bottom - outer.top)) / 2);
}

TEST_F(AboutTest, OpeningAgainBringsTheOpenWindowForwardWithoutReloading) {
    frm_About& first = Open();
    HWND window = first.Window();
    ::SetWindowTextW(first.Control(frm_About::kLabel1), L"left as it was");

    EXPECT_EQ(frm_About::Show(), &first);
    EXPECT_EQ(first.Window(), window);
    EXPECT_EQ(ShownText(first.Control(frm_About::kLabel1)), L"left as it was")
        << "texts are set only at load";
    EXPECT_EQ(AboutWindowsOfThisThread(), 1);
}

TEST_F(AboutTest, OkClosesItAndTheNextOpeningLoadsAfresh) {
    frm_About& about = Open();
    HWND window = about.Window();
    ::SetWindowTextW(about.Control(frm_About::kLabel1), L"changed while open");
    ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));

    ::SendMessageW(about.Control(frm_About::kCommand1), BM_CLICK, 0, 0);
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(frm_About::Instance(), nullptr);
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, IDC_ARROW)) << "unloading restores the default pointer";

    frm_About& again = Open();
    EXPECT_EQ(ShownText(again.Control(frm_About::kLabel1)), AppTitle);
}

// Esc: HelpAboutOpensItModelessBesideTheMainWindowAndExitClosesIt.
TEST_F(AboutTest, EnterOnOkClosesIt) {
    frm_About& about = Open();
    HWND ok = about.Control(frm_About::kCommand1);
    ::SetFocus(ok);
    EXPECT_TRUE(PressKey(about.Window(), ok, VK_RETURN));
    EXPECT_EQ(frm_About::Instance(), nullptr);
    EXPECT_TRUE(answers.shellRequests.empty());
}

// The shell's "open" verb is handed the address alone; nothing is logged.
TEST_F(AboutTest, AClickOnTheWebAddressOpensIt) {
    frm_About& about = Open();
    HWND link = about.Control(frm_About::kLblWebURL);
    RECT area;
    ::GetClientRect(link, &area);
    const LPARAM onText = MAKELPARAM(4, area.bottom / 2);
    ::SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, onText);
    ::SendMessageW(link, WM_LBUTTONUP, 0, onText);
    ASSERT_EQ(answers.shellRequests.size(), 1u);
    const Ui::ShellRequest& request = answers.shellRequests[0];
    EXPECT_EQ(request.verb, L"open");
    EXPECT_EQ(request.file, AppWebAddress);
    EXPECT_EQ(log.Text(), "");
}

TEST_F(AboutTest, TheKeyboardReachesTheWebAddressWithTabAndOpensItWithEnter) {
    frm_About& about = Open();
    HWND link = about.Control(frm_About::kLblWebURL);
    HWND ok = about.Control(frm_About::kCommand1);
    EXPECT_EQ(::GetNextDlgTabItem(about.Window(), ok, FALSE), link);
    EXPECT_EQ(::GetNextDlgTabItem(about.Window(), link, FALSE), ok);

    ::SetFocus(ok);
    PressKey(about.Window(), ok, VK_TAB);
    EXPECT_EQ(::GetFocus(), link);
    EXPECT_TRUE(PressKey(about.Window(), link, VK_RETURN));
    ASSERT_EQ(answers.shellRequests.size(), 1u);
    EXPECT_EQ(answers.shellRequests[0].file, AppWebAddress);
    EXPECT_NE(frm_About::Instance(), nullptr) << "Enter on the address does not close the window";
}

TEST_F(AboutTest, HelpAboutOpensItModelessBesideTheMainWindowAndExitClosesIt) {
    ASSERT_TRUE(Start());
    ::ShowWindow(form->Window(), SW_SHOW);

    form->OnCommand(IDM_HELP_ABOUT);
    frm_About* about = frm_About::Instance();
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(::IsWindowVisible(about->Window()));
    EXPECT_EQ(::GetWindow(about->Window(), GW_OWNER), nullptr);
    EXPECT_TRUE(::IsWindowEnabled(form->Window())) << "the main window stays usable";

    MSG escape{about->Control(frm_About::kCommand1), WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
    EXPECT_TRUE(form->PreTranslateMessage(escape)) << "the message loop gives the About window dialog keys";
    EXPECT_EQ(frm_About::Instance(), nullptr);

    form->OnCommand(IDM_HELP_ABOUT);
    ASSERT_NE(frm_About::Instance(), nullptr);
    form->OnCommand(IDM_FILE_EXIT);
    EXPECT_EQ(frm_About::Instance(), nullptr);
}
