#include "rules/AppInfo.h"
#include "rules/ErrorTable.h"
#include "support/Worlds.h"
#include "xtr/Catalogue.h"

#include <commctrl.h>
#include <commdlg.h>
#include <windowsx.h>

#include <cwctype>
#include <map>
#include <set>

using namespace testsupport;

namespace {
class Form2Test : public MainWindowTest {
  protected:
    static void Type(HWND box, const wchar_t* text) { ::SetWindowTextW(box, text); }
    static void Choose(HWND combo, const wchar_t* text) {
        ComboBox_SetCurSel(combo, ComboBox_FindStringExact(combo, -1, text));
    }
    // The title and file name shown, and whether OK may save.
    std::wstring Shown() {
        return ShownText(Editor().txtTitle()) + L"|" + ShownText(Editor().txtFilename()) +
               (::IsWindowEnabled(Editor().cmdOK()) ? L"|saving" : L"|");
    }
    static std::wstring Chosen(HWND combo) {
        wchar_t text[16] = L"";
        ComboBox_GetLBText(combo, ComboBox_GetCurSel(combo), text);
        return text;
    }
    // A key pressed in the dialog, through the main window's message handling.
    void Press(HWND control, WPARAM key) { Pass({control, WM_KEYDOWN, key, 0, 0, {}}); }
    // Alt and a letter, where the focus is; bit 29 says Alt was down.
    void PressAlt(wchar_t letter) { Pass({::GetFocus(), WM_SYSCHAR, letter, 1 << 29, 0, {}}); }
    void Pass(MSG message) {
        if (!form->PreTranslateMessage(message)) {
            ::DispatchMessageW(&message);
        }
    }
};

const std::string kAlpha = "Alpha\r\nC:\\tools\\alpha.exe\r\nTrue\r\nFalse\r\n";
const std::string kBeta = "Beta\r\nC:\\tools\\beta.exe\r\nFalse\r\nTrue\r\n";
} // namespace

TEST_F(Form2Test, LayoutCaptionsAndKeyboard) {
    Start();
    Open(&Form1::mnuPopup1New_Click);
    HWND dialog = Editor().Window();
    EXPECT_EQ(ShownText(dialog), AppTitle);
    EXPECT_FALSE(::GetWindowLongW(dialog, GWL_STYLE) & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX | WS_THICKFRAME));
    const int dpi = SystemDpi();
    RECT client;
    ::GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, TwipsAt(8400, dpi));
    EXPECT_EQ(client.bottom, TwipsAt(3600, dpi));

    std::vector<std::wstring> captions;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t kind[16] = L"";
        ::GetClassNameW(child, kind, 16);
        if (lstrcmpiW(kind, WC_STATICW) == 0 || lstrcmpiW(kind, WC_BUTTONW) == 0) {
            captions.push_back(WithoutAccessKey(ShownText(child)));
        }
    }
    EXPECT_EQ(captions, (std::vector<std::wstring>{L"Title", L"Filename", L"Program", L"browse", L"AutoStart",
                                                   L"auto stop", L"Active", L"Quit", L"OK"}));
    for (HWND combo : {Editor().cmbAutoStart(), Editor().cmbAutoShutdown(), Editor().cmbActive()}) {
        ASSERT_EQ(ComboBox_GetCount(combo), 2);
        wchar_t second[8] = L"";
        ComboBox_GetLBText(combo, 1, second);
        EXPECT_EQ(Chosen(combo) + L"/" + second, L"YES/NO");
        EXPECT_EQ(::GetWindowLongW(combo, GWL_STYLE) & 3, CBS_DROPDOWNLIST) << "nothing can be typed";
    }
    const RECT program = PlacedIn(dialog, Editor().txtProgram()),
               browse = PlacedIn(dialog, Editor().cmdBrowse());
    const RECT quit = PlacedIn(dialog, Editor().cmdQuit()), ok = PlacedIn(dialog, Editor().cmdOK());
    EXPECT_EQ(browse.right, program.right) << "flush with the program box";
    EXPECT_GE(browse.top, program.bottom);
    EXPECT_LT(quit.right, ok.left);

    // Tab walks top to bottom and round again; Enter is OK.
    const HWND order[] = {Editor().txtTitle(),  Editor().txtFilename(),  Editor().txtProgram(),
                          Editor().cmdBrowse(), Editor().cmbAutoStart(), Editor().cmbAutoShutdown(),
                          Editor().cmbActive(), Editor().cmdQuit(),      Editor().cmdOK()};
    for (size_t i = 0; i < std::size(order); ++i) {
        EXPECT_EQ(::GetNextDlgTabItem(dialog, order[i], FALSE), order[(i + 1) % std::size(order)]) << i;
    }
    const LRESULT defaultId = ::SendMessageW(dialog, DM_GETDEFID, 0, 0);
    EXPECT_EQ(HIWORD(defaultId), DC_HASDEFID);
    EXPECT_EQ(::GetDlgItem(dialog, LOWORD(defaultId)), Editor().cmdOK());
}

// As in any Windows dialog: Alt and a label's letter lead to the box beside the
// label, with its text selected; browse and Quit answer to theirs.
TEST_F(Form2Test, AltAndALetterTakeTheKeyboardToEveryBoxAndButton) {
    Start();
    Open(&Form1::mnuPopup1New_Click);
    std::map<std::wstring, wchar_t> keys; // by caption as it reads
    std::set<wchar_t> taken;
    for (HWND child = ::GetWindow(Editor().Window(), GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        const std::wstring caption = ShownText(child);
        if (const wchar_t key = AccessKeyOf(caption)) {
            keys[WithoutAccessKey(caption)] = key;
            EXPECT_TRUE(taken.insert(key).second) << caption << ": another control has that key";
        }
    }
    const std::pair<const wchar_t*, HWND> boxes[] = {
        {L"Program", Editor().txtProgram()},     {L"Filename", Editor().txtFilename()},
        {L"AutoStart", Editor().cmbAutoStart()}, {L"auto stop", Editor().cmbAutoShutdown()},
        {L"Active", Editor().cmbActive()},       {L"Title", Editor().txtTitle()}};
    ::SetFocus(Editor().cmdOK());
    for (const auto& [label, box] : boxes) {
        PressAlt(static_cast<wchar_t>(std::towlower(keys[label])));
        EXPECT_EQ(::GetFocus(), box) << label;
    }
    EXPECT_EQ(::SendMessageW(Editor().txtFilename(), EM_GETSEL, 0, 0), MAKELONG(0, 11))
        << "new_xtr.xtr selected";

    PressAlt(keys[L"browse"]);
    EXPECT_EQ(answers.fileRequests.size(), 1u) << "browse asks for a program";
    PressAlt(keys[L"Quit"]);
    EXPECT_FALSE(Editor().IsLoaded());
}

// New while the editor shows an entry.
TEST_F(Form2Test, NewWithTheDefaultsIsAnActiveFile) {
    WriteBytes(host / L"alpha.xtr", kAlpha);
    Start();
    Open(&Form1::mnuPopup1Edit_Click, L"alpha.xtr");
    Open(&Form1::mnuPopup1New_Click);
    EXPECT_EQ(ShownText(Editor().txtTitle()) + L"|" + ShownText(Editor().txtFilename()) + L"|" +
                  ShownText(Editor().txtProgram()),
              L"your description|new_xtr.xtr|");

    Click(Editor().cmdOK());
    EXPECT_FALSE(Editor().IsLoaded());
    const std::vector<std::string> lines = LinesOf(host / L"new_xtr.xtr");
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "your description");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[2] + lines[3], "TrueTrue");
    EXPECT_EQ(lines[5].rfind("created by " + ToAnsi(AppTitle) + " on ", 0), 0u) << lines[5];
    ASSERT_GT(IndexOf(L"new_xtr.xtr"), 0) << "listed after the rescan";
    EXPECT_TRUE(Catalogue().XtrTable[static_cast<size_t>(IndexOf(L"new_xtr.xtr"))].active);
    EXPECT_TRUE(answers.messages.empty());
    EXPECT_EQ(ReadBytes(host / L"alpha.xtr"), kAlpha);
}

TEST_F(Form2Test, NewHasTheKeyboardOnTheDescriptionSelectedSoTypingReplacesIt) {
    Start();
    Open(&Form1::mnuPopup1New_Click);
    ASSERT_EQ(::GetFocus(), Editor().txtTitle());
    for (const wchar_t c : std::wstring_view(L"APRS Digi")) {
        ::SendMessageW(Editor().txtTitle(), WM_CHAR, c, 1);
    }
    EXPECT_EQ(ShownText(Editor().txtTitle()), L"APRS Digi");
    EXPECT_EQ(ShownText(Editor().txtFilename()), L"new_xtr.xtr");
}

TEST_F(Form2Test, NewInactiveGoesToSavedXtrAndANameWithoutXtrGetsIt) {
    Start();
    Open(&Form1::mnuPopup1New_Click);
    Choose(Editor().cmbActive(), L"NO");
    Click(Editor().cmdOK());
    EXPECT_TRUE(FileExists(InSaved(L"new_xtr.xtr")));
    EXPECT_FALSE(FileExists(host / L"new_xtr.xtr"));

    Open(&Form1::mnuPopup1New_Click);
    Type(Editor().txtFilename(), L"Mapper");
    Click(Editor().cmdOK());
    EXPECT_FALSE(Editor().IsLoaded());
    EXPECT_EQ(NamesIn(host.Path()), (Names{L"Mapper.xtr", L"SavedXTR"}));
    ASSERT_EQ(Catalogue().XtrCount, 2);
    EXPECT_TRUE(Catalogue().XtrTable[static_cast<size_t>(IndexOf(L"Mapper.xtr"))].active)
        << "listed as UI-View32 reads it";
    EXPECT_TRUE(answers.messages.empty());
}

TEST_F(Form2Test, BrowseTellsCancelFromChoice) {
    Start();
    Open(&Form1::mnuPopup1New_Click);
    Type(Editor().txtProgram(), L"keep me");
    answers.fileReplies = {std::nullopt, L"C:\\Program Files\\APRS Tool\\tool.exe"};
    Click(Editor().cmdBrowse());
    EXPECT_EQ(ShownText(Editor().txtProgram()), L"keep me");
    ASSERT_EQ(answers.fileRequests.size(), 1u);
    EXPECT_EQ(answers.fileRequests[0].title, L"Quillon");
    EXPECT_EQ(answers.fileRequests[0].filter, L"program files (*.exe)|*.exe");
    EXPECT_TRUE(answers.fileRequests[0].flags & OFN_HIDEREADONLY);
    EXPECT_EQ(answers.fileRequests[0].initialFolder, host.Path());

    Click(Editor().cmdBrowse());
    EXPECT_EQ(ShownText(Editor().txtProgram()), L"C:\\Program Files\\APRS Tool\\tool.exe");
    EXPECT_TRUE(answers.messages.empty());
    EXPECT_TRUE(log.Text().empty()) << "a cancel is no failure";
    Click(Editor().cmdOK());
    EXPECT_EQ(LinesOf(host / L"new_xtr.xtr").at(1), "\"C:\\Program Files\\APRS Tool\\tool.exe\"");
}

TEST_F(Form2Test, PathPastedWithItsQuotesIsSavedOnceQuoted) {
    Start();
    Open(&Form1::mnuPopup1New_Click);
    Type(Editor().txtProgram(), L"\"C:\\Program Files\\APRS Tool\\tool.exe\"");
    Click(Editor().cmdOK());
    EXPECT_EQ(LinesOf(host / L"new_xtr.xtr").at(1), "\"C:\\Program Files\\APRS Tool\\tool.exe\"");
    ASSERT_EQ(Catalogue().XtrCount, 1);
    EXPECT_EQ(Catalogue().XtrTable[1].programDrive, L"C:");
    EXPECT_EQ(Catalogue().XtrTable[1].programFile, L"tool.exe");
}

TEST_F(Form2Test, EditAndOkWithoutChangesWritesNothing) {
    WriteBytes(host / L"alpha.xtr", kAlpha);
    Start();
    Open(&Form1::mnuPopup1Edit_Click, L"alpha.xtr");
    EXPECT_EQ(ShownText(Editor().txtTitle()) + L"|" + ShownText(Editor().txtFilename()) + L"|" +
                  ShownText(Editor().txtProgram()),
              L"Alpha|alpha.xtr|C:\\tools\\alpha.exe");
    EXPECT_EQ(Chosen(Editor().cmbAutoStart()) + Chosen(Editor().cmbAutoShutdown()) +
                  Chosen(Editor().cmbActive()),
              L"YESNOYES");
    EXPECT_EQ(Editor().OldRecord.title, L"Alpha");
    Click(Editor().cmdOK());
    EXPECT_FALSE(Editor().IsLoaded());
    EXPECT_EQ(ReadBytes(host / L"alpha.xtr"), kAlpha);
}

TEST_F(Form2Test, FullProgramPathInsideTheFolderIsRewrittenShortened) {
    WriteBytes(host / L"tool.xtr",
               "Tool\r\n" + ToAnsi(host.Path()) + "\\Addons\\tool.exe\r\nTrue\r\nTrue\r\n");
    Start();
    Open(&Form1::mnuPopup1Edit_Click, L"tool.xtr");
    EXPECT_EQ(ShownText(Editor().txtProgram()), L"Addons\\tool.exe");
    Click(Editor().cmdOK());
    const std::vector<std::string> lines = LinesOf(host / L"tool.xtr");
    ASSERT_EQ(lines.size(), 6u) << "rewritten through the writer";
    EXPECT_EQ(lines[1], "Addons\\tool.exe");
}

TEST_F(Form2Test, ChangeOfLetterCaseAloneIsARename) {
    WriteBytes(host / L"alpha.xtr", kAlpha);
    Start();
    Open(&Form1::mnuPopup1Edit_Click, L"alpha.xtr");
    Type(Editor().txtFilename(), L"Alpha.XTR");
    Click(Editor().cmdOK());
    EXPECT_EQ(NamesIn(host.Path()), (Names{L"Alpha.XTR", L"SavedXTR"}));
    EXPECT_EQ(LinesOf(host / L"Alpha.XTR").at(0), "Alpha");
    EXPECT_TRUE(answers.messages.empty()) << "its own file is no other file";
}

TEST_F(Form2Test, ActiveAloneMovesTheBytesUnchangedAndRescansOnce) {
    WriteBytes(host / L"alpha.xtr", kAlpha);
    Start();
    Open(&Form1::mnuPopup1Edit_Click, L"alpha.xtr");
    Choose(Editor().cmbActive(), L"NO");
    const std::uint32_t rescans = form->RescanCount();
    Click(Editor().cmdOK());
    EXPECT_EQ(form->RescanCount() - rescans, 1u);
    EXPECT_FALSE(FileExists(host / L"alpha.xtr"));
    EXPECT_EQ(ReadBytes(InSaved(L"alpha.xtr")), kAlpha);
}

TEST_F(Form2Test, ActiveWithNameAndContentLeavesOneFileInTheNewFolder) {
    WriteBytes(host / L"alpha.xtr", kAlpha);
    WriteBytes(InSaved(L"beta.xtr"), kBeta);
    Start();
    Open(&Form1::mnuPopup1Edit_Click, L"alpha.xtr");
    Type(Editor().txtTitle(), L"Renamed");
    Type(Editor().txtFilename(), L"moved.xtr");
    Choose(Editor().cmbActive(), L"NO");
    Click(Editor().cmdOK());
    EXPECT_EQ(NamesIn(host.Path()), Names{L"SavedXTR"});
    EXPECT_EQ(NamesIn(Saved()).size(), 2u);
    EXPECT_EQ(LinesOf(InSaved(L"moved.xtr")),
              (std::vector<std::string>{"Renamed", "C:\\tools\\alpha.exe", "True", "False",
                                        std::string(29, '-'), LinesOf(InSaved(L"moved.xtr")).back()}));
    EXPECT_EQ(ReadBytes(InSaved(L"beta.xtr")), kBeta) << "no other file is changed";
    EXPECT_EQ(form->grdXTRs().Row(), IndexOf(L"moved.xtr", false)) << "the saved entry is current";

    // Back into the active folder with new content: rewritten there, gone from SavedXTR.
    Open(&Form1::mnuPopup1Edit_Click, L"beta.xtr");
    Choose(Editor().cmbActive(), L"YES");
    Choose(Editor().cmbAutoStart(), L"YES");
    Click(Editor().cmdOK());
    EXPECT_FALSE(FileExists(InSaved(L"beta.xtr")));
    EXPECT_EQ(LinesOf(host / L"beta.xtr").at(2), "True");
    EXPECT_TRUE(answers.messages.empty());
}

TEST_F(Form2Test, OkAppliesToTheLoadedEntryWhateverRowIsPressedSince) {
    WriteBytes(host / L"alpha.xtr", kAlpha);
    WriteBytes(host / L"beta.xtr", kBeta);
    Start();
    Open(&Form1::mnuPopup1Edit_Click, L"alpha.xtr");
    Type(Editor().txtTitle(), L"Alpha two");
    Pick(L"beta.xtr");
    Click(Editor().cmdOK());
    EXPECT_EQ(LinesOf(host / L"alpha.xtr").at(0), "Alpha two");
    EXPECT_EQ(ReadBytes(host / L"beta.xtr"), kBeta);
}

TEST_F(Form2Test, ViewCannotSaveAndTheTypingGoesAsTheSaveQuestionIsAnswered) {
    WriteBytes(host / L"alpha.xtr", kAlpha);
    WriteBytes(host / L"beta.xtr", kBeta);
    Start();
    Open(&Form1::mnuPopup1View_Click, L"alpha.xtr");
    EXPECT_FALSE(::IsWindowEnabled(Editor().cmdOK()));
    EXPECT_FALSE(::IsWindowEnabled(Editor().cmdBrowse()));
    Type(Editor().txtTitle(), L"Changed");
    Press(Editor().txtTitle(), VK_RETURN);
    // Dialog navigation may send IDOK without a usable default button.
    ::SendMessageW(Editor().Window(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_TRUE(Editor().IsLoaded()) << "a disabled OK never acts";

    // Edit of the same entry keeps the typing unasked.
    Open(&Form1::mnuPopup1Edit_Click, L"alpha.xtr");
    EXPECT_EQ(Shown(), L"Changed|alpha.xtr|saving");
    // Another entry, as Windows asks: Cancel keeps the dialog as it is, No
    // drops the typing, Yes saves it first, and the entry chosen is shown.
    Open(&Form1::mnuPopup1View_Click, L"beta.xtr");
    ASSERT_EQ(answers.messages.size(), 1u);
    EXPECT_EQ(answers.messages[0].text, L"Do you want to save changes to alpha.xtr?");
    EXPECT_EQ(answers.messages[0].flags, static_cast<UINT>(MB_YESNOCANCEL | MB_ICONWARNING));
    EXPECT_EQ(Shown(), L"Changed|alpha.xtr|saving");
    answers.messageReplies = {IDNO};
    Open(&Form1::mnuPopup1View_Click, L"beta.xtr");
    EXPECT_EQ(Shown(), L"Beta|beta.xtr|");
    EXPECT_EQ(ReadBytes(host / L"alpha.xtr"), kAlpha);
    Type(Editor().txtTitle(), L"Viewed");
    Open(&Form1::mnuPopup1Edit_Click, L"alpha.xtr"); // typed into View: dropped unasked
    EXPECT_EQ(answers.messages.size(), 2u);
    EXPECT_EQ(Shown(), L"Alpha|alpha.xtr|saving");
    Type(Editor().txtTitle(), L"Saved");
    answers.messageReplies = {IDYES};
    Open(&Form1::mnuPopup1View_Click, L"beta.xtr");
    EXPECT_EQ(LinesOf(host / L"alpha.xtr").at(0), "Saved");
    EXPECT_EQ(Shown(), L"Beta|beta.xtr|");
    Open(&Form1::mnuPopup1Edit_Click, L"alpha.xtr"); // nothing typed: nothing asked
    EXPECT_EQ(answers.messages.size(), 3u);

    Press(Editor().txtTitle(), VK_ESCAPE);
    EXPECT_FALSE(Editor().IsLoaded()) << "Esc is Quit";
    EXPECT_EQ(ReadBytes(host / L"beta.xtr"), kBeta);
}

TEST_F(Form2Test, QuitAndTheCloseButtonWriteNothing) {
    WriteBytes(host / L"alpha.xtr", kAlpha);
    Start();
    for (const UINT message : {BM_CLICK, WM_CLOSE}) { // Quit, then the close button
        Open(&Form1::mnuPopup1Edit_Click, L"alpha.xtr");
        EXPECT_EQ(ShownText(Editor().txtTitle()), L"Alpha") << "each opening loads afresh";
        Type(Editor().txtTitle(), L"Changed");
        ::SendMessageW(message == BM_CLICK ? Editor().cmdQuit() : Editor().Window(), message, 0, 0);
        EXPECT_FALSE(Editor().IsLoaded());
    }
    EXPECT_EQ(ReadBytes(host / L"alpha.xtr"), kAlpha);
}

TEST_F(Form2Test, ReplacingAnotherFileIsAskedAndNoWritesNothing) {
    WriteBytes(host / L"new_xtr.xtr", kAlpha);
    WriteBytes(host / L"beta.xtr", kBeta);
    WriteBytes(InSaved(L"beta.xtr"), kAlpha);
    Start();

    // New with a taken name: No keeps the dialog and the file, Yes replaces it.
    Open(&Form1::mnuPopup1New_Click);
    Click(Editor().cmdOK());
    ASSERT_EQ(answers.messages.size(), 1u);
    EXPECT_EQ(answers.messages[0].text,
              L"new_xtr.xtr already exists in the UI-View32 folder. Do you want to replace it?");
    EXPECT_EQ(answers.messages[0].title, AppTitle);
    EXPECT_EQ(answers.messages[0].flags, static_cast<UINT>(MB_YESNO | MB_DEFBUTTON2))
        << "a question, no icon";
    EXPECT_TRUE(Editor().IsLoaded());
    EXPECT_EQ(ShownText(Editor().txtTitle()), L"your description");
    EXPECT_EQ(ReadBytes(host / L"new_xtr.xtr"), kAlpha);
    EXPECT_EQ(static_cast<int>(Catalogue().XtrTable.size()), Catalogue().XtrCount + 1) << "no entry added";
    answers.messageReplies = {IDYES};
    Click(Editor().cmdOK());
    EXPECT_FALSE(Editor().IsLoaded());
    EXPECT_EQ(LinesOf(host / L"new_xtr.xtr").at(0), "your description");

    // A rename onto another entry's name asks about it in both folders: the
    // entry must not end both active and inactive.
    Open(&Form1::mnuPopup1Edit_Click, L"new_xtr.xtr");
    Type(Editor().txtFilename(), L"beta.xtr");
    Click(Editor().cmdOK());
    ASSERT_EQ(answers.messages.size(), 3u);
    EXPECT_EQ(
        answers.messages[2].text,
        L"beta.xtr already exists in the UI-View32 folder and in SavedXTR. Do you want to replace both?");
    EXPECT_TRUE(FileExists(host / L"new_xtr.xtr"));
    EXPECT_EQ(ReadBytes(host / L"beta.xtr"), kBeta);
    Click(Editor().cmdQuit());

    // A move onto a same-named file in the other folder.
    Open(&Form1::mnuPopup1Edit_Click, L"beta.xtr");
    Choose(Editor().cmbActive(), L"NO");
    Click(Editor().cmdOK());
    ASSERT_EQ(answers.messages.size(), 4u);
    EXPECT_EQ(answers.messages[3].text, L"beta.xtr already exists in SavedXTR. Do you want to replace it?");
    EXPECT_EQ(ReadBytes(host / L"beta.xtr"), kBeta);
    EXPECT_EQ(ReadBytes(InSaved(L"beta.xtr")), kAlpha);
}

// What a refused name leaves is in EditorNamesTest; here, that the user can mend it.
TEST_F(Form2Test, AFailedWriteKeepsTheDialogAndTheMendedTypingSaves) {
    Start();
    Open(&Form1::mnuPopup1New_Click);
    Type(Editor().txtTitle(), L"Typed with care");
    Type(Editor().txtFilename(), L"a?b.xtr");
    Click(Editor().cmdOK());
    ASSERT_TRUE(Editor().IsLoaded());
    ASSERT_EQ(answers.messages.size(), 1u);
    EXPECT_EQ(answers.messages[0].title, AppTitle);
    EXPECT_EQ(static_cast<int>(Catalogue().XtrTable.size()), Catalogue().XtrCount + 1)
        << "the appended entry is dropped again";

    Type(Editor().txtFilename(), L"ab.xtr");
    Click(Editor().cmdOK());
    EXPECT_FALSE(Editor().IsLoaded());
    EXPECT_EQ(LinesOf(host / L"ab.xtr").at(0), "Typed with care");
}
