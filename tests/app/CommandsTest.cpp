#include "rules/AppInfo.h"
#include "rules/resource.h"
#include "support/Worlds.h"

#include <commctrl.h>

using namespace testsupport;

namespace {
constexpr char kActive[] = "Active tool\r\nC:\\nowhere\\a.exe\r\nTrue\r\nFalse\r\n";
constexpr char kInactive[] = "Inactive tool\r\nb.exe\r\nFalse\r\nTrue\r\n";

using CommandsTest = MainWindowTest;
} // namespace

TEST_F(CommandsTest, ActivationItemsFollowTheEntry) {
    WriteBytes(host / L"a.xtr", kActive);
    WriteBytes(InSaved(L"b.xtr"), kInactive);
    Start();

    RightPress(IndexOf(L"a.xtr", true));
    ASSERT_EQ(answers.popupCount, 1);
    EXPECT_FALSE(ItemEnabled(L"Set Active"));
    EXPECT_TRUE(ItemEnabled(L"Set Inactive"));
    EXPECT_TRUE(ItemEnabled(L"View"));
    EXPECT_TRUE(ItemEnabled(L"Delete"));

    RightPress(IndexOf(L"b.xtr", false));
    ASSERT_EQ(answers.popupCount, 2);
    EXPECT_TRUE(ItemEnabled(L"Set Active"));
    EXPECT_FALSE(ItemEnabled(L"Set Inactive"));
}

// The first entry of a new user starts here, by mouse or by keyboard.
TEST_F(CommandsTest, OnAnEmptyCatalogueTheMenuOffersNewAlone) {
    Start();
    ASSERT_EQ(form->grdXTRs().Row(), 0);
    ::SendMessageW(form->Window(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(form->grdXTRs().Window()), -1);
    EXPECT_EQ(answers.popupCount, 1) << "the context-menu key opens the menu";
    for (const wchar_t* item : {L"View", L"Edit", L"Delete", L"Set Active", L"Set Inactive"}) {
        EXPECT_FALSE(ItemEnabled(item)) << ToAnsi(item);
    }
    EXPECT_TRUE(ItemEnabled(L"New"));

    // The header row, where the grid says it found nothing, is the grid's too.
    ::SendMessageW(ListView_GetHeader(form->grdXTRs().Window()), WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(answers.popupCount, 2) << "a right press on the header row";

    answers.popupChoice = IDM_POPUP1_NEW;
    form->grdXTRs_MouseDown(Form1::kRightButton, POINT{1, 1});
    EXPECT_EQ(answers.popupCount, 3);
    ASSERT_TRUE(Editor().IsLoaded());
    EXPECT_EQ(ShownText(Editor().txtFilename()), L"new_xtr.xtr");
}

TEST_F(CommandsTest, LeftPressOnlyPicksTheEntry) {
    WriteBytes(host / L"a.xtr", kActive);
    WriteBytes(host / L"c.xtr", kActive);
    Start();
    EXPECT_EQ(form->grdXTRs().Row(), 1) << "start-up makes the first row current";
    form->grdXTRs().Row(2);
    form->grdXTRs_MouseDown(Form1::kLeftButton, POINT{1, 1});
    EXPECT_EQ(answers.popupCount, 0);
    EXPECT_TRUE(answers.messages.empty());
}

TEST_F(CommandsTest, DeleteAsksAndNoLeavesEverything) {
    WriteBytes(host / L"MyApp.xtr", kActive);
    Start();
    answers.messageReplies = {IDNO};
    RightPress(1, IDM_POPUP1_DELETE);
    ASSERT_EQ(answers.messages.size(), 1u);
    EXPECT_EQ(answers.messages[0].text, L"Are you sure you want to delete MyApp.xtr ?");
    EXPECT_EQ(answers.messages[0].title, AppTitle);
    EXPECT_EQ(answers.messages[0].flags, static_cast<UINT>(MB_YESNO | MB_DEFBUTTON1))
        << "Yes default, no icon";
    EXPECT_TRUE(FileExists(host / L"MyApp.xtr"));

    // The editor open on it holds typing: the one question says it goes too.
    Edit(L"MyApp.xtr");
    ::SetWindowTextW(Editor().txtTitle(), L"Mine");
    answers.messageReplies = {IDNO};
    RightPress(1, IDM_POPUP1_DELETE);
    EXPECT_EQ(answers.messages.at(1).text,
              L"Are you sure you want to delete MyApp.xtr ?\nWhat you typed for it in "
              L"the editor, and have not saved, goes with it.");
    EXPECT_TRUE(Editor().IsLoaded() && FileExists(host / L"MyApp.xtr"));
    EXPECT_EQ(Catalogue().XtrCount, 1);
    EXPECT_EQ(form->grdXTRs().Rows(), 2);
}

TEST_F(CommandsTest, DeletingAnActiveEntryLeavesTheSameNameInSavedXtr) {
    WriteBytes(host / L"a.xtr", kActive);
    WriteBytes(InSaved(L"a.xtr"), kInactive);
    Start();
    Edit(L"a.xtr", true); // unchanged, it closes unasked
    answers.messageReplies = {IDYES};
    RightPress(IndexOf(L"a.xtr", true), IDM_POPUP1_DELETE);
    EXPECT_FALSE(Editor().IsLoaded());
    EXPECT_FALSE(FileExists(host / L"a.xtr"));
    EXPECT_EQ(ReadBytes(InSaved(L"a.xtr")), kInactive);
    ASSERT_EQ(Catalogue().XtrCount, 1);
    EXPECT_FALSE(Catalogue().XtrTable[1].active);
    EXPECT_EQ(form->grdXTRs().Rows(), 2);
}

// A deleted file can be restored from the Recycle Bin (under Wine, the
// desktop's trash: here the tests' own, XDG_DATA_HOME set by ctest).
TEST_F(CommandsTest, DeleteMovesTheFileIntoTheRecycleBin) {
    const RecycleBinView bin;
    if (!bin.Usable()) {
        GTEST_SKIP() << "no trash of the tests' own: XDG_DATA_HOME is not set";
    }
    WriteBytes(host / L"binned.xtr", kActive);
    ::SetFileAttributesW((host / L"binned.xtr").c_str(), FILE_ATTRIBUTE_READONLY); // goes too
    Start();
    answers.messageReplies = {IDYES};
    RightPress(1, IDM_POPUP1_DELETE);
    EXPECT_FALSE(FileExists(host / L"binned.xtr"));
    EXPECT_EQ(bin.Take(host / L"binned.xtr"), std::optional<std::string>(kActive));
}

TEST_F(CommandsTest, SetActiveOnAVanishedFileJustRescans) {
    WriteBytes(host / L"a.xtr", kActive);
    WriteBytes(InSaved(L"b.xtr"), kInactive);
    Start();
    ::DeleteFileW(InSaved(L"b.xtr").c_str()); // another program took it away
    RightPress(IndexOf(L"b.xtr", false), IDM_POPUP1_SETACTIVE);
    EXPECT_TRUE(answers.messages.empty());
    EXPECT_FALSE(FileExists(host / L"b.xtr"));
    EXPECT_EQ(Catalogue().XtrCount, 1);
    EXPECT_EQ(form->grdXTRs().Rows(), 2);
    EXPECT_FALSE(FileExists(log.Path())) << "a missing source is no error";
}

// Onto a same-named file only when the user says Yes; No changes nothing.
TEST_F(CommandsTest, SetInactiveMovesTheBytesOverASameNamedFile) {
    const std::string bytes = std::string("odd\nbytes\r\n\x01\xff") + '\0' + "end";
    WriteBytes(host / L"a.xtr", bytes);
    WriteBytes(InSaved(L"a.xtr"), kInactive);
    Start();
    RightPress(IndexOf(L"a.xtr", true), IDM_POPUP1_SETINACTIVE);
    ASSERT_EQ(answers.messages.size(), 1u);
    EXPECT_EQ(answers.messages[0].text, L"a.xtr already exists in SavedXTR. Do you want to replace it?");
    EXPECT_EQ(answers.messages[0].flags, static_cast<UINT>(MB_YESNO | MB_DEFBUTTON2));
    EXPECT_EQ(ReadBytes(host / L"a.xtr"), bytes);
    EXPECT_EQ(ReadBytes(InSaved(L"a.xtr")), kInactive);
    EXPECT_TRUE(Catalogue().XtrTable[static_cast<size_t>(IndexOf(L"a.xtr", true))].active);

    answers.messageReplies = {IDYES};
    RightPress(IndexOf(L"a.xtr", true), IDM_POPUP1_SETINACTIVE);
    EXPECT_EQ(answers.messages.size(), 2u);
    EXPECT_FALSE(FileExists(host / L"a.xtr"));
    EXPECT_EQ(ReadBytes(InSaved(L"a.xtr")), bytes) << "moved byte for byte, over the older file";
    ASSERT_EQ(Catalogue().XtrCount, 1);
    EXPECT_FALSE(Catalogue().XtrTable[1].active);
    EXPECT_EQ(form->grdXTRs().Row(), 1);
}

// The editor open on the entry follows it: its OK blames no other program.
TEST_F(CommandsTest, SetActiveMovesBackAndListsAmongTheActiveAndTheEditorFollows) {
    WriteBytes(host / L"a.xtr", kActive);
    WriteBytes(InSaved(L"b.xtr"), kInactive);
    Start();
    Edit(L"b.xtr");
    ::SetWindowTextW(Editor().txtTitle(), L"Mine");
    RightPress(IndexOf(L"b.xtr", false), IDM_POPUP1_SETACTIVE);
    EXPECT_EQ(ReadBytes(host / L"b.xtr"), kInactive);
    EXPECT_FALSE(FileExists(InSaved(L"b.xtr")));
    EXPECT_NE(IndexOf(L"b.xtr", true), 0);
    EXPECT_EQ(ShownText(Editor().cmbActive()), L"YES");
    Click(Editor().cmdOK());
    EXPECT_TRUE(answers.messages.empty());
    EXPECT_EQ(LinesOf(host / L"b.xtr").at(0), "Mine");
}

TEST_F(CommandsTest, MoveThatFailsIsLoggedAndTheRescanShowsTheDisk) {
    WriteBytes(host / L"a.xtr", kActive);
    Start();
    UniqueFile held = HoldOpen(host / L"a.xtr");
    ASSERT_TRUE(static_cast<bool>(held));
    RightPress(1, IDM_POPUP1_SETINACTIVE);
    held.reset();
    EXPECT_NE(log.Text().find("in module Module1.ActiveChanged: Permission denied"), std::string::npos);
    EXPECT_TRUE(FileExists(host / L"a.xtr"));
    EXPECT_FALSE(FileExists(InSaved(L"a.xtr")));
    EXPECT_NE(IndexOf(L"a.xtr", true), 0) << "the command's rescan shows the file where it stayed";
    EXPECT_EQ(IndexOf(L"a.xtr", false), 0);
}

// A move is one step: a file that could not be deleted after a copy is no
// longer left in both folders.
TEST_F(CommandsTest, AReadOnlyFileMovesIntoOneFolderOnly) {
    WriteBytes(host / L"a.xtr", kActive);
    Start();
    ::SetFileAttributesW((host / L"a.xtr").c_str(), FILE_ATTRIBUTE_READONLY);
    RightPress(1, IDM_POPUP1_SETINACTIVE);
    EXPECT_FALSE(FileExists(log.Path()));
    form->OnCommand(IDM_VIEW_REFRESH);
    EXPECT_EQ(Catalogue().XtrCount, 1);
    EXPECT_EQ(IndexOf(L"a.xtr", true), 0);
    EXPECT_EQ(ReadBytes(InSaved(L"a.xtr")), kActive);
}

TEST_F(CommandsTest, RefreshShowsFilesAddedOutside) {
    Start();
    EXPECT_EQ(Catalogue().XtrCount, 0);
    WriteBytes(host / L"new.xtr", kActive);
    WriteBytes(InSaved(L"old.xtr"), kInactive);
    form->OnCommand(IDM_VIEW_REFRESH);
    EXPECT_EQ(Catalogue().XtrCount, 2);
    EXPECT_EQ(form->grdXTRs().Rows(), 3);
}

TEST_F(CommandsTest, CheckForUpdatesOnlyTells) {
    Start();
    form->OnCommand(IDM_HELP_CHECKUPDATES);
    ASSERT_EQ(answers.messages.size(), 1u);
    EXPECT_EQ(answers.messages[0].text, L"Please use the TAMBER Updater tool to check for new updates");
    EXPECT_EQ(answers.messages[0].flags, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(answers.messages[0].title, AppTitle);
}

TEST_F(CommandsTest, RenameWritesTheNewFileAndRemovesTheOld) {
    WriteBytes(host / L"a.xtr", kActive);
    Start();
    EXPECT_TRUE(Rename(1, L"b.xtr"));
    EXPECT_FALSE(FileExists(host / L"a.xtr"));
    const std::string written = ReadBytes(host / L"b.xtr");
    EXPECT_EQ(written.rfind("Active tool\r\nC:\\nowhere\\a.exe\r\nTrue\r\nFalse\r\n-----", 0), 0u) << written;
}

TEST_F(CommandsTest, RenameOfAFileAlreadyGoneStillSavesTheEntry) {
    WriteBytes(host / L"a.xtr", kActive);
    Start();
    ::DeleteFileW((host / L"a.xtr").c_str()); // another program removes it meanwhile
    EXPECT_TRUE(Rename(1, L"b.xtr"));
    EXPECT_EQ(NamesIn(host.Path()), (Names{L"SavedXTR", L"b.xtr"}));
    EXPECT_TRUE(Reports().empty());
}

namespace {
// Letters typed while the grid has the focus, as the keyboard sends them.
void Type(const Form1& form, std::wstring_view letters) {
    for (const wchar_t letter : letters) {
        ::SendMessageW(form.grdXTRs().Window(), WM_CHAR, letter, 1); // a repeat count of 1
    }
}
} // namespace

TEST_F(CommandsTest, TypedLettersMakeTheRowWhoseDescriptionStartsWithThemCurrent) {
    for (int i = 10; i < 50; ++i) {
        WriteBytes(host / (L"f" + std::to_wstring(i) + L".xtr"), kActive);
    }
    WriteBytes(InSaved(L"zulu.xtr"), "Zulu tool\r\nz.exe\r\nTrue\r\nTrue\r\n"); // after the 40 active
    Start();
    ::ShowWindow(form->Window(), SW_SHOWNA);
    const HWND list = form->grdXTRs().Window();
    form->grdXTRs().Row(1);
    Type(*form, L"zU");
    const int zulu = IndexOf(L"zulu.xtr", false);
    EXPECT_EQ(form->grdXTRs().Row(), zulu);
    EXPECT_GT(ListView_GetTopIndex(list), 0) << "scrolled down to it";

    // The row found acts as a clicked one: the context-menu key, Delete and Enter.
    ::SendMessageW(form->Window(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), -1);
    EXPECT_EQ(answers.popupCount, 1) << "the context-menu key opens the menu";
    EXPECT_TRUE(ItemEnabled(L"Set Active")) << "for the inactive row found";
    ::SendMessageW(list, WM_KEYDOWN, VK_DELETE, 1);
    ASSERT_EQ(answers.messages.size(), 1u);
    EXPECT_EQ(answers.messages[0].text, L"Are you sure you want to delete zulu.xtr ?");
    ::SendMessageW(list, WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_EQ(ShownText(form->Editor().txtTitle()), L"Zulu tool");
}

TEST_F(CommandsTest, OneLetterTypedAgainMovesToTheNextRowStartingWithIt) {
    WriteBytes(host / L"a.xtr", "beacon\r\nb.exe\r\nTrue\r\nTrue\r\n");
    WriteBytes(host / L"b.xtr", kActive);
    WriteBytes(host / L"c.xtr", "Bravo\r\nc.exe\r\nTrue\r\nTrue\r\n");
    Start();
    Type(*form, L"b");
    const int first = form->grdXTRs().Row();
    const int second = first == IndexOf(L"a.xtr", true) ? IndexOf(L"c.xtr", true) : IndexOf(L"a.xtr", true);
    Type(*form, L"b");
    EXPECT_EQ(form->grdXTRs().Row(), second);
    Type(*form, L"B");
    EXPECT_EQ(form->grdXTRs().Row(), first);
    Type(*form, L"x"); // "bbbx" begins no Description: the row stays
    EXPECT_EQ(form->grdXTRs().Row(), first);
}

// After each command the current row is the entry the command leaves the
// user on, whatever order the folders list their files in.
TEST_F(CommandsTest, TheCurrentRowFollowsTheEntryOfEachCommand) {
    for (const wchar_t* name : {L"a.xtr", L"b.xtr", L"c.xtr"}) {
        WriteBytes(host / name, kActive);
    }
    Start();
    const Grid& grid = form->grdXTRs();
    auto current = [&] {
        const XtrRecord& entry = Catalogue().XtrTable.at(static_cast<size_t>(grid.Row()));
        return entry.fileName + (entry.active ? L" active" : L" inactive");
    };
    EXPECT_EQ(grid.Row(), 1) << "start-up: the first row";
    OnEntry(L"b.xtr", true, &Form1::mnuPopup1SetInactive_Click);
    EXPECT_EQ(current(), L"b.xtr inactive");
    OnEntry(L"b.xtr", false, &Form1::mnuPopup1SetActive_Click);
    EXPECT_EQ(current(), L"b.xtr active");
    form->OnCommand(IDM_VIEW_REFRESH);
    EXPECT_EQ(current(), L"b.xtr active") << "F5 keeps the entry";

    // Delete: the next entry takes the place, or the one before at the end.
    for (const int row : {1, 2}) {
        const std::wstring taking =
            Catalogue()
                .XtrTable.at(static_cast<size_t>(row == Catalogue().XtrCount ? row - 1 : row + 1))
                .fileName;
        answers.messageReplies = {IDYES};
        OnEntry(Catalogue().XtrTable.at(static_cast<size_t>(row)).fileName, true,
                &Form1::mnuPopup1Delete_Click);
        EXPECT_EQ(current(), taking + L" active") << "deleting row " << row;
    }
}

// Set Active onto a same-named active file replaces the file an open editor
// holds: the editor closes first (asking, had it been changed), and nothing
// afterwards blames another program for Quillon's own command.
TEST_F(CommandsTest, AnEditorOnTheFileAMoveReplacesClosesFirst) {
    WriteBytes(host / L"b.xtr", kActive);
    WriteBytes(InSaved(L"b.xtr"), kInactive);
    Start();
    Edit(L"b.xtr", true);
    answers.messageReplies = {IDYES};
    OnEntry(L"b.xtr", false, &Form1::mnuPopup1SetActive_Click);
    EXPECT_FALSE(Editor().IsLoaded());
    ASSERT_EQ(answers.messages.size(), 1u) << "only the replace question";
    EXPECT_EQ(ReadBytes(host / L"b.xtr"), kInactive);
}
