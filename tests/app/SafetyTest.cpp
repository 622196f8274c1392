// Two windows, a second Quillon and files changed behind the program's back:
// every command acts on the file it was chosen for, and nothing is written
// over unseen.
#include "rules/XtrNames.h"
#include "rules/resource.h"
#include "support/Worlds.h"
#include "xtr/Catalogue.h"
#include "xtr/FileChange.h"

#include <windowsx.h>

#include <algorithm>

using namespace testsupport;

namespace {
constexpr char kA[] = "Tool A\r\na.exe\r\nTrue\r\nFalse\r\n";
constexpr char kB[] = "Tool B\r\nb.exe\r\nTrue\r\nFalse\r\n";
constexpr char kC[] = "Tool C\r\nc.exe\r\nTrue\r\nFalse\r\n";
constexpr wchar_t kChangedQuestion[] =
    L" was changed or removed by another program since Quillon read it. Do you want to save your version?";

class SafetyTest : public MainWindowTest {
  protected:
    void PressOk() { Click(Editor().cmdOK()); }
    static std::wstring TitleLineOf(const std::wstring& path) { return FromAnsi(LinesOf(path).at(0)); }
};
} // namespace

// The entry edited is listed after the one deleted meanwhile: OK still saves
// it to its own file.
TEST_F(SafetyTest, AQuestionDisablesEveryWindowAndTheEditorsOkWaitsForIt) {
    WriteBytes(host / L"a.xtr", kC);
    WriteBytes(host / L"c.xtr", kC);
    Start();
    ::ShowWindow(form->Window(), SW_SHOWNA); // as the program shows it after start-up
    const std::wstring first = Catalogue().XtrTable[1].fileName;
    const std::wstring last = Catalogue().XtrTable[2].fileName;
    Edit(last);
    ::SetWindowTextW(Editor().txtTitle(), L"Tool C, edited");
    bool mainEnabled = true;
    bool editorEnabled = true;
    answers.whileMessageShown = [&] {
        mainEnabled = ::IsWindowEnabled(form->Window());
        editorEnabled = ::IsWindowEnabled(Editor().Window());
        PressOk(); // the user reaches for the editor while the question waits
    };
    answers.messageReplies = {IDYES};
    OnEntry(first, true, &Form1::mnuPopup1Delete_Click);

    EXPECT_FALSE(mainEnabled);
    EXPECT_FALSE(editorEnabled);
    EXPECT_TRUE(::IsWindowEnabled(form->Window()) && ::IsWindowEnabled(Editor().Window()));
    EXPECT_EQ(NamesIn(host.Path()), (Names{L"SavedXTR", last})) << "the first entry is the one deleted";
    EXPECT_EQ(ReadBytes(host / last), kC) << "the editor's OK did not act";
    EXPECT_TRUE(Editor().IsLoaded());

    answers.whileMessageShown = nullptr;
    PressOk();
    EXPECT_FALSE(Editor().IsLoaded());
    EXPECT_EQ(TitleLineOf(host / last), L"Tool C, edited");
    EXPECT_TRUE(Reports().empty());
}

TEST_F(SafetyTest, AnEntryUnreadableAtTheScanIsWrittenOnlyWhenTheUserSaysSo) {
    WriteBytes(host / L"a.xtr", kA);
    {
        const UniqueFile holder = HoldOpen(host / L"a.xtr");
        Start();
    }
    ASSERT_TRUE(Catalogue().XtrTable[1].unreadable);
    Edit(L"a.xtr");
    ComboBox_SetCurSel(Editor().cmbAutoShutdown(), 0);
    PressOk();
    ASSERT_EQ(answers.messages.size(), 1u);
    EXPECT_EQ(answers.messages[0].text.find(L"Quillon could not read a.xtr when it listed it"), 0u)
        << "no change by another program is claimed";
    EXPECT_EQ(answers.messages[0].flags, static_cast<UINT>(MB_YESNO | MB_DEFBUTTON2));
    EXPECT_EQ(ReadBytes(host / L"a.xtr"), kA) << "No writes nothing";
    ASSERT_TRUE(Editor().IsLoaded()) << "and keeps the dialog";

    answers.messageReplies = {IDYES};
    PressOk();
    EXPECT_FALSE(Editor().IsLoaded());
    EXPECT_EQ(Catalogue().XtrCount, 1);
    EXPECT_TRUE(Catalogue().XtrTable[1].autoStop);
}

TEST_F(SafetyTest, AFileChangedBehindTheEditorIsNotWrittenOverUnasked) {
    WriteBytes(host / L"a.xtr", kA);
    Start();
    Edit(L"a.xtr");
    WriteBytes(host / L"a.xtr", kB); // a second Quillon saves its version
    ComboBox_SetCurSel(Editor().cmbAutoStart(), 1);
    PressOk();
    ASSERT_EQ(answers.messages.size(), 1u);
    EXPECT_EQ(answers.messages[0].text, L"a.xtr" + std::wstring(kChangedQuestion));
    EXPECT_EQ(ReadBytes(host / L"a.xtr"), kB);
    EXPECT_TRUE(Editor().IsLoaded());
}

TEST_F(SafetyTest, AFileMovedBehindTheEditorEndsAsOneFileWhereTheEditorSays) {
    WriteBytes(host / L"b.xtr", kB);
    Start();
    Edit(L"b.xtr");
    ASSERT_TRUE(::MoveFileW((host / L"b.xtr").c_str(), InSaved(L"b.xtr").c_str())); // Set Inactive elsewhere
    ::SetWindowTextW(Editor().txtTitle(), L"Mine");

    PressOk(); // No to the first question
    EXPECT_EQ(NamesIn(Saved()), Names{L"b.xtr"});
    EXPECT_EQ(NamesIn(host.Path()), Names{L"SavedXTR"});

    answers.messageReplies = {IDYES, IDNO};
    PressOk(); // Yes, then No to replacing the moved file
    ASSERT_EQ(answers.messages.size(), 3u);
    EXPECT_EQ(answers.messages[2].text, L"b.xtr already exists in SavedXTR. Do you want to replace it?");
    EXPECT_EQ(NamesIn(host.Path()), Names{L"SavedXTR"});
    EXPECT_EQ(ReadBytes(InSaved(L"b.xtr")), kB);
    ASSERT_TRUE(Editor().IsLoaded());

    answers.messageReplies = {IDYES, IDYES};
    PressOk();
    EXPECT_FALSE(Editor().IsLoaded());
    EXPECT_EQ(NamesIn(host.Path()), (Names{L"SavedXTR", L"b.xtr"}));
    EXPECT_TRUE(NamesIn(Saved()).empty()) << "the entry is not both active and inactive";
    EXPECT_EQ(TitleLineOf(host / L"b.xtr"), L"Mine");
}

TEST_F(SafetyTest, AMoveCutShortLeavesNoPartOfAFileBehind) {
    WriteBytes(host / L"b.xtr", kB);
    Start();
    Ui::TestHooks().moveFile = [](const std::wstring&, const std::wstring&) {
        ::SetLastError(ERROR_DISK_FULL);
        return false;
    };
    OnEntry(L"b.xtr", true, &Form1::mnuPopup1SetInactive_Click);
    EXPECT_EQ(Reports(), std::vector<std::string>{"61 in module Module1.ActiveChanged: Disk full"});
    ASSERT_EQ(answers.messages.size(), 1u) << "the command says why it did nothing";
    EXPECT_EQ(answers.messages[0].text, L"The XTR file b.xtr could not be made inactive: the disk is full.");
    EXPECT_TRUE(NamesIn(Saved()).empty());
    EXPECT_EQ(ReadBytes(host / L"b.xtr"), kB);
}

// Start-up puts no new version in place: a leftover that may hold someone's
// only copy goes into the Recycle Bin (read-only or not) and is named once; one
// the bin cannot take is asked about; a second name of a file the bin holds,
// or of one in place, simply goes, but one not marked as the bin's whose file
// stands nowhere may be the only copy left, and goes back to its name, named,
// as does a file set aside by a change that never finished, unless its twin stands.
TEST_F(SafetyTest, LeftoversOfEarlierRunsGoIntoTheBinOrBackWhereTheyWereSetAside) {
    const std::wstring pid = std::to_wstring(::GetCurrentProcessId());
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    const unsigned long long ticks =
        (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    const unsigned long long twoMinutesAgo = ticks - 120ULL * 10'000'000ULL;
    const std::wstring stale = TemporaryName(twoMinutesAgo, 1, 0);
    const std::wstring fresh = TemporaryName(ticks, 1, 1);
    const std::wstring onTheWay = TemporaryNameOnTheWay(twoMinutesAgo, 1, 2, L"Lost.xtr");
    const std::wstring blocked = TemporaryNameOnTheWay(twoMinutesAgo, 1, 3, L"a.xtr");
    const std::wstring copy = TemporaryNameOnTheWay(twoMinutesAgo, 1, 4, L"c.xtr", Held::Copy);
    const std::wstring secondName = TemporaryNameOnTheWay(twoMinutesAgo, 1, 5, L"a.xtr");
    // Set aside by a change that never finished: back to its free name; beside its twin, gone.
    const std::wstring asideFree = TemporaryNameOnTheWay(twoMinutesAgo, 1, 6, L"back.xtr", Held::SetAside);
    const std::wstring asideTwin = TemporaryNameOnTheWay(twoMinutesAgo, 1, 7, L"a.xtr", Held::SetAside);
    const std::wstring readOnly = TemporaryNameOnTheWay(twoMinutesAgo, 1, 8, L"ro.xtr");
    const std::wstring stuck = TemporaryNameOnTheWay(twoMinutesAgo, 1, 9, L"stuck.xtr");
    const std::wstring inBin = TemporaryNameOnTheWay(twoMinutesAgo, 1, 10, L"gone.xtr", Held::InBin);
    const Names leftovers = {L"~Quillon-" + pid + L"-0.tmp", L"~Quillon-" + pid + L".rename.tmp", fresh};
    for (const std::wstring& name : leftovers) {
        WriteBytes(host / name, kB);
    }
    WriteBytes(host / stale, kB);
    WriteBytes(host / onTheWay, kC);
    WriteBytes(host / blocked, kC);
    WriteBytes(host / copy, kC);
    WriteBytes(host / L"a.xtr", kA);
    ASSERT_TRUE(::CreateHardLinkW((host / secondName).c_str(), (host / L"a.xtr").c_str(), nullptr));
    WriteBytes(InSaved(asideFree), kC);
    WriteBytes(host / asideTwin, kA);
    WriteBytes(host / readOnly, kB);
    ::SetFileAttributesW((host / readOnly).c_str(), FILE_ATTRIBUTE_READONLY);
    WriteBytes(host / stuck, kB);
    WriteBytes(host / inBin, kB);
    Ui::TestHooks().recycleFile = [](const std::wstring& path) -> std::optional<std::wstring> {
        const std::wstring binned = path + L".binned";
        if (path.find(L"stuck") == std::wstring::npos && ::MoveFileW(path.c_str(), binned.c_str())) {
            return binned;
        }
        return std::nullopt;
    };
    Start();

    Names expected = {L"SavedXTR", L"a.xtr", L"c.xtr", leftovers[0], leftovers[1], fresh, stuck};
    for (const std::wstring& binned : {stale, onTheWay, blocked, readOnly}) {
        expected.push_back(binned + L".binned");
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(NamesIn(host.Path()), expected)
        << "an earlier version's, the young ones and the stuck one stay";
    EXPECT_EQ(NamesIn(Saved()), Names{L"back.xtr"});
    EXPECT_EQ(ReadBytes(InSaved(L"back.xtr")), kC);
    EXPECT_EQ(ReadBytes(host / L"a.xtr"), kA);
    EXPECT_EQ(ReadBytes(host / L"c.xtr"), kC);
    EXPECT_EQ(Catalogue().XtrCount, 3);
    ASSERT_EQ(answers.messages.size(), 3u);
    EXPECT_EQ(answers.messages[0].text,
              L"Quillon found unsaved work of an earlier run, stuck.xtr, that cannot "
              L"go to the Recycle Bin. Delete it for good?");
    EXPECT_EQ(answers.messages[1].text,
              L"Quillon put back what an earlier run left unfinished, as it was: c.xtr.");
    EXPECT_EQ(answers.messages[2].text, L"Quillon found unsaved work of an earlier run and put it into the "
                                        L"Recycle Bin: \"Tool B\", Lost.xtr, a.xtr, ro.xtr.");
    for (const std::wstring& binned : {stale, onTheWay, blocked, readOnly}) {
        ::SetFileAttributesW((host / (binned + L".binned")).c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW((host / (binned + L".binned")).c_str());
    }
    Ui::TestHooks().recycleFile = nullptr;
    ::DeleteFileW((host / stuck).c_str());
    expected = {L"SavedXTR", L"a.xtr", L"c.xtr", leftovers[0], leftovers[1], fresh};
    std::sort(expected.begin(), expected.end());

    Edit(L"a.xtr");
    ::SetWindowTextW(Editor().txtFilename(), L"A.xtr");
    ::SetWindowTextW(Editor().txtTitle(), L"Saved");
    PressOk();
    EXPECT_FALSE(Editor().IsLoaded());
    EXPECT_TRUE(Reports().empty());
    EXPECT_EQ(TitleLineOf(host / L"A.xtr"), L"Saved");
    EXPECT_EQ(NamesIn(host.Path()).size(), expected.size()) << "one file, spelled anew; no new leftover";
}

TEST_F(SafetyTest, RefreshesAskedForDuringARefreshMakeOneMore) {
    WriteBytes(host / L"a.xtr", kA);
    Start();
    for (int i = 0; i < 30; ++i) { // F5 held down while a large folder is read
        ::PostMessageW(form->Window(), WM_COMMAND, IDM_VIEW_REFRESH, 0);
    }
    const std::uint32_t before = form->RescanCount();
    form->mnuViewRefresh_Click();
    EXPECT_EQ(form->RescanCount() - before, 2u);
    MSG message;
    EXPECT_FALSE(::PeekMessageW(&message, form->Window(), WM_COMMAND, WM_COMMAND, PM_NOREMOVE));
}
