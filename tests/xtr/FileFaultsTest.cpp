// Faults of the file system under the file operations: files in use or
// read-only, a replace cut short, SavedXTR gone, odd and huge files. Each case
// checks the report lines and every name left on disk.
#include "rules/ErrorTable.h"
#include "rules/resource.h"
#include "support/Worlds.h"
#include "xtr/Catalogue.h"
#include "xtr/EntryChanges.h"
#include "xtr/FileChange.h"
#include "xtr/XtrFile.h"

#include <functional>
#include <tuple>
#include <utility>

using namespace testsupport;

namespace {
constexpr char kOld[] = "Old tool\r\nC:\\tools\\old.exe\r\nTrue\r\nFalse\r\n";

using FileFaultsTest = MainWindowTest;

// Another program's save as sync tools make it: the same size, the file's time kept (the first letter
// changes case). Returns what it wrote.
std::string RewriteKeepingSizeAndTime(const std::wstring& path) {
    FILETIME written{};
    UniqueFile file(
        ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ::GetFileTime(file.get(), nullptr, nullptr, &written);
    file.reset();
    std::string bytes = ReadBytes(path);
    bytes[0] = static_cast<char>(bytes[0] ^ 0x20);
    WriteBytes(path, bytes);
    file.reset(::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ::SetFileTime(file.get(), nullptr, nullptr, &written);
    return bytes;
}
} // namespace

TEST_F(FileFaultsTest, DeletingAFileInUseIsReportedAndKeepsIt) {
    WriteBytes(host / L"a.xtr", kOld);
    Start();
    const UniqueFile holder = HoldOpen(host / L"a.xtr");
    ASSERT_TRUE(static_cast<bool>(holder));
    answers.messageReplies = {IDYES};
    OnEntry(L"a.xtr", true, &Form1::mnuPopup1Delete_Click);
    // The command's rescan cannot read the file either, and lists it all the same.
    EXPECT_EQ(Reports(),
              (std::vector<std::string>{"70 in module Module1.DeleteXTR: Permission denied",
                                        "70 in module Module1.ReadXTR sourceline = 0: Permission denied"}));
    EXPECT_EQ(IndexOf(L"a.xtr"), 1);
    EXPECT_EQ(NamesIn(host.Path()), (Names{L"SavedXTR", L"a.xtr"}));
    ASSERT_EQ(answers.messages.size(), 2u) << "the question, then why it failed";
    EXPECT_EQ(answers.messages[1].text,
              L"The XTR file a.xtr could not be deleted: it is in use by another program.");
    EXPECT_EQ(answers.messages[1].flags, static_cast<UINT>(MB_OK | MB_ICONSTOP));
}

// A rewrite or a rename is one change: a file that cannot go (in use, read-only)
// fails it before anything is written, and says why; a file in use keeps even
// the letter case of its name.
TEST_F(FileFaultsTest, WritingOrRenamingAReadOnlyOrBusyFileChangesNothingAndSaysWhy) {
    WriteBytes(host / L"ro.xtr", kOld);
    WriteBytes(host / L"busy.xtr", kOld);
    Start();
    ::SetFileAttributesW((host / L"ro.xtr").c_str(), FILE_ATTRIBUTE_READONLY);
    UniqueFile busy = HoldOpen(host / L"busy.xtr");
    ASSERT_TRUE(static_cast<bool>(busy));
    for (const wchar_t* name : {L"ro.xtr", L"busy.xtr"}) {
        XtrRecord entry = EntryNamed(name);
        entry.title = L"New title";
        EXPECT_FALSE(ContentChanged(entry, ReadHostFolderSetting())) << name;
    }
    for (const auto& [name, newName] :
         {std::pair{L"busy.xtr", L"busy-new.xtr"}, {L"ro.xtr", L"ro-new.xtr"}, {L"busy.xtr", L"Busy.xtr"}}) {
        EXPECT_FALSE(Rename(IndexOf(name, true), newName)) << ToAnsi(newName);
    }
    busy.reset();
    for (const wchar_t* name : {L"ro.xtr", L"busy.xtr"}) {
        EXPECT_EQ(ReadBytes(host / name), kOld) << "the old file stays whole";
    }
    std::vector<std::string> reports(2, "70 in module Module1.ContentChanged: Permission denied");
    reports.resize(5, "70 in module Module1.FilenameChanged: Permission denied");
    EXPECT_EQ(Reports(), reports);
    EXPECT_EQ(NamesIn(host.Path()), (Names{L"SavedXTR", L"busy.xtr", L"ro.xtr"})) << "no temporary file left";
}

TEST_F(FileFaultsTest, AReplaceThatFailsAfterTheTemporaryFileLeavesTheOldFileAndNoTrace) {
    WriteBytes(host / L"a.xtr", kOld);
    Start();
    std::vector<std::wstring> replaced;
    Ui::TestHooks().moveFile = [&](const std::wstring& source, const std::wstring& target) {
        replaced.push_back(ReadBytes(source).substr(0, 9) == "New title" ? target : L"?");
        ::SetLastError(ERROR_DISK_FULL);
        return false;
    };
    XtrRecord entry = Catalogue().XtrTable[1];
    entry.title = L"New title";
    EXPECT_FALSE(ContentChanged(entry, ReadHostFolderSetting()));
    ASSERT_EQ(replaced, Names{host / L"a.xtr"}) << "the temporary file held the whole new text";
    EXPECT_EQ(ReadBytes(host / L"a.xtr"), kOld);
    EXPECT_EQ(NamesIn(host.Path()), (Names{L"SavedXTR", L"a.xtr"}));

    // A rename goes through the same step: neither name is lost or left half made.
    EXPECT_FALSE(Rename(1, L"b.xtr"));
    EXPECT_EQ(ReadBytes(host / L"a.xtr"), kOld);
    EXPECT_EQ(NamesIn(host.Path()), (Names{L"SavedXTR", L"a.xtr"}));
    // Replacing after a Yes, the old file went into the bin first: it comes
    // back, and the change says the bin holds a copy of it.
    FileChange change;
    change.Replace(host / L"a.xtr");
    ASSERT_TRUE(ContentChanged(entry, ReadHostFolderSetting(), &change));
    EXPECT_FALSE(Trap(L"Module1.FileChange", [&] { change.Commit(); }));
    EXPECT_TRUE(change.BinKeptCopy());
    EXPECT_EQ(ReadBytes(host / L"a.xtr"), kOld);
    EXPECT_EQ(NamesIn(host.Path()), (Names{L"SavedXTR", L"a.xtr"}));
    EXPECT_EQ(Reports(), (std::vector<std::string>{"61 in module Module1.ContentChanged: Disk full",
                                                   "61 in module Module1.FilenameChanged: Disk full",
                                                   "61 in module Module1.FileChange: Disk full"}));
}

// Where the bin cannot take a file it would delete it for good, as on a drive
// without one (which Wine cannot show: the seam makes every bin do so).
// Nothing changes then and the step says why; once the user has agreed, the
// same step deletes for good.
TEST_F(FileFaultsTest, WhereTheBinCannotTakeAFileNothingChangesUntilTheUserAgrees) {
    const TempFolder outside;
    WriteBytes(outside / L"c.xtr", "Dropped C\r\n");
    for (const wchar_t* name : {L"a.xtr", L"b.xtr", L"c.xtr", L"d.xtr"}) {
        WriteBytes(host / name, kOld);
    }
    WriteBytes(InSaved(L"b.xtr"), "Inactive B\r\n");
    WriteBytes(InSaved(L"c.xtr"), "Inactive C\r\n");
    Start();
    auto disk = [this] {
        std::vector<std::string> files;
        for (const std::wstring& name : NamesIn(host.Path())) {
            if (name != L"SavedXTR") {
                files.push_back(ToAnsi(name));
                files.push_back(ReadBytes(host / name));
            }
        }
        for (const std::wstring& name : NamesIn(Saved())) {
            files.push_back(ToAnsi(InSaved(name)));
            files.push_back(ReadBytes(InSaved(name)));
        }
        return files;
    };
    XtrRecord fresh;
    fresh.fileName = L"d.xtr";
    fresh.title = L"Mine";
    fresh.active = true;
    // Each command, its file, the replace questions it asks before the bin's,
    // and a file it would delete for good.
    const std::vector<std::tuple<const char*, std::wstring, int, std::wstring, std::function<void()>>>
        commands = {
            {"delete", L"a.xtr", 0, host / L"a.xtr", [&] { DeleteEntry(nullptr, EntryNamed(L"a.xtr")); }},
            {"set inactive", L"b.xtr", 1, InSaved(L"b.xtr"),
             [&] { MoveEntry(nullptr, EntryNamed(L"b.xtr")); }},
            {"drop", L"c.xtr", 1, InSaved(L"c.xtr"),
             [&] { InstallDroppedFiles(nullptr, {outside / L"c.xtr"}); }},
            {"new", L"d.xtr", 1, host / L"d.xtr", [&] { SaveEditedEntry(nullptr, fresh, nullptr); }},
        };
    // A bin that refuses; in the pass answered No, one that takes the file all the same without saying
    // where, which then comes back from its second name.
    bool takesSilently = false;
    int taken = 0;
    Ui::TestHooks().recycleFile = [&](const std::wstring& path) -> std::optional<std::wstring> {
        if (takesSilently) {
            ::MoveFileW(path.c_str(), (outside / (L"taken" + std::to_wstring(++taken))).c_str());
        }
        return std::nullopt;
    };
    // First another program writes the file while "Delete it for good?" waits, to
    // the same size and time: Yes is not for that version, which is asked about
    // again (and kept on No).
    constexpr int kChangedMeanwhile = 0;
    std::vector<std::string> before;
    std::string newer;
    for (const int answer : {kChangedMeanwhile, IDNO, IDYES}) {
        takesSilently = answer == IDNO;
        for (const auto& [name, fileName, replaceQuestions, going, run] : commands) {
            const std::wstring forGood = fileName + L" cannot go to the Recycle Bin. Delete it for good?";
            answers.messages.clear();
            answers.messageReplies.assign(static_cast<size_t>(replaceQuestions), IDYES);
            answers.messageReplies.push_back(answer == kChangedMeanwhile ? IDYES : answer);
            if (answer == kChangedMeanwhile) {
                answers.messageReplies.insert(answers.messageReplies.end(),
                                              static_cast<size_t>(replaceQuestions), IDYES);
                answers.messageReplies.push_back(IDNO);
                answers.whileMessageShown = [&, path = going, written = false]() mutable {
                    if (answers.messages.back().text == forGood && !std::exchange(written, true)) {
                        newer = RewriteKeepingSizeAndTime(path);
                    }
                };
            }
            run();
            answers.whileMessageShown = nullptr;
            const size_t asked = static_cast<size_t>(replaceQuestions) + 1;
            ASSERT_EQ(answers.messages.size(), answer == kChangedMeanwhile ? 2 * asked : asked) << name;
            EXPECT_EQ(answers.messages.back().text, forGood);
            if (answer == kChangedMeanwhile) {
                EXPECT_EQ(ReadBytes(going), newer) << name;
            } else if (answer == IDNO) {
                EXPECT_EQ(disk(), before) << name << ": No changes nothing";
            }
        }
        before = disk();
    }
    Ui::TestHooks().recycleFile = nullptr;
    EXPECT_EQ(taken, 4) << "each command's file was taken, and put back";
    EXPECT_EQ(NamesIn(host.Path()), (Names{L"SavedXTR", L"c.xtr", L"d.xtr"}));
    EXPECT_EQ(NamesIn(Saved()), Names{L"b.xtr"});
    EXPECT_EQ(ReadBytes(InSaved(L"b.xtr")), kOld);
    EXPECT_EQ(ReadBytes(host / L"c.xtr"), "Dropped C\r\n");
    EXPECT_EQ(ReadBytes(host / L"d.xtr").substr(0, 6), "Mine\r\n");
    ASSERT_FALSE(Reports().empty());
    EXPECT_EQ(Reports()[0], "513 in module Module1.DeleteXTR: cannot go to the Recycle Bin");
}

TEST_F(FileFaultsTest, MovingWithoutSavedXtrOrOntoAPlainFileOfThatNameKeepsTheFile) {
    WriteBytes(host / L"a.xtr", kOld);
    ::RemoveDirectoryW(Saved().c_str());
    registry.SetHostFolderSetting(host.Path() + L"\\");
    Start();
    ::RemoveDirectoryW(Saved().c_str()); // start-up made it; someone removed it since
    OnEntry(L"a.xtr", true, &Form1::mnuPopup1SetInactive_Click);
    EXPECT_EQ(Reports(), std::vector<std::string>{"76 in module Module1.ActiveChanged: Path not found"});
    EXPECT_EQ(NamesIn(host.Path()), Names{L"a.xtr"});

    WriteBytes(Saved(), "a plain file");
    form->OnCommand(IDM_VIEW_REFRESH);
    OnEntry(L"a.xtr", true, &Form1::mnuPopup1SetInactive_Click);
    ASSERT_EQ(Reports().size(), 2u) << testing::PrintToString(Reports());
    EXPECT_EQ(Reports()[1].substr(0, 36), "76 in module Module1.ActiveChanged: ");
    EXPECT_EQ(NamesIn(host.Path()), (Names{L"SavedXTR", L"a.xtr"}));
    EXPECT_EQ(ReadBytes(Saved()), "a plain file");
    EXPECT_EQ(ReadBytes(host / L"a.xtr"), kOld);
}

TEST_F(FileFaultsTest, APlainFileNamedSavedXtrIsAnEmptyFolderToTheScan) {
    ::RemoveDirectoryW(Saved().c_str());
    WriteBytes(Saved(), "a plain file");
    WriteBytes(host / L"tool.exe", "MZ");
    WriteBytes(host / L"a.xtr", "Tool\r\ntool.exe\r\nTrue\r\nTrue\r\n");
    Start();
    form->OnCommand(IDM_VIEW_REFRESH);
    ASSERT_EQ(Catalogue().XtrCount, 1);
    EXPECT_TRUE(Catalogue().XtrTable[1].programFound) << "the scan ran to its end";
    EXPECT_EQ(Reports(), std::vector<std::string>{});
    EXPECT_EQ(answers.messages.size(), 1u) << "told once, at start-up";
}

TEST_F(FileFaultsTest, OddAndHugeFilesAreListedAndReadWithoutAReportAndNeverRewrittenUnchanged) {
    WriteBytes(host / L"binary.xtr", std::string("A\0B\r\n\0\x01\xff\r\nTrue\r\n\0", 16));
    WriteBytes(host / L"crs.xtr", std::string(1000, '\r'));
    WriteBytes(host / L"empty.xtr", "");
    std::string many = "Many\r\nm.exe\r\nTrue\r\nTrue\r\n";
    for (int i = 0; i < 100000; ++i) {
        many += "line\r\n";
    }
    WriteBytes(host / L"many.xtr", many);
    const std::string hugeTitle(10 * 1024 * 1024, 'T');
    WriteBytes(host / L"huge.xtr", hugeTitle + "\r\nC:\\a.exe\r\nyes\r\non\r\n");
    Start();

    ASSERT_EQ(Catalogue().XtrCount, 5);
    EXPECT_EQ(form->grdXTRs().Rows(), 6);
    const XtrRecord& binary = EntryNamed(L"binary.xtr");
    EXPECT_EQ(binary.title, std::wstring(L"A\0B", 3));
    EXPECT_EQ(binary.programFile, AnsiText(std::string("\0\x01\xff", 3)));
    EXPECT_TRUE(binary.autoStart);
    EXPECT_FALSE(binary.autoStop) << "a NUL is no True";
    const XtrRecord& crs = EntryNamed(L"crs.xtr");
    EXPECT_TRUE(crs.title.empty() && crs.programFile.empty() && !crs.autoStart && !crs.autoStop);
    const XtrRecord& empty = EntryNamed(L"empty.xtr");
    EXPECT_TRUE(empty.title.empty() && empty.programFile.empty());
    const XtrRecord& lines = EntryNamed(L"many.xtr");
    EXPECT_EQ(lines.title, L"Many");
    EXPECT_TRUE(lines.autoStart && lines.autoStop);
    const XtrRecord& huge = EntryNamed(L"huge.xtr"); // read whole
    EXPECT_EQ(huge.title.size(), hugeTitle.size());
    EXPECT_EQ(huge.programFile, L"a.exe");
    EXPECT_TRUE(huge.autoStart && huge.autoStop);

    // Opened in the editor and saved without a change, none is rewritten: a
    // NUL ends the text a box can show, but the entry keeps what the file holds.
    for (const wchar_t* name : {L"binary.xtr", L"crs.xtr", L"empty.xtr", L"many.xtr", L"huge.xtr"}) {
        const std::string before = ReadBytes(host / name);
        OnEntry(name, true, &Form1::mnuPopup1Edit_Click);
        ASSERT_TRUE(Editor().IsLoaded()) << name;
        Click(Editor().cmdOK());
        EXPECT_FALSE(Editor().IsLoaded()) << name;
        EXPECT_TRUE(ReadBytes(host / name) == before) << ToAnsi(name) << " was rewritten";
    }
    EXPECT_TRUE(Reports().empty());
    EXPECT_EQ(NamesIn(host.Path()),
              (Names{L"SavedXTR", L"binary.xtr", L"crs.xtr", L"empty.xtr", L"huge.xtr", L"many.xtr"}));
}

TEST_F(FileFaultsTest, ANameOfTheLongestLengthIsWrittenAndRenamedInItsOwnCase) {
    const std::wstring longest = std::wstring(251, L'n') + L".xtr";
    WriteBytes(host / L"a.xtr", kOld);
    Start();
    EXPECT_TRUE(Rename(1, longest));
    EXPECT_EQ(NamesIn(host.Path()), (Names{L"SavedXTR", longest}));
    form->Rescan(form->CurrentPlace()); // as the save's command ends

    std::wstring upper = longest;
    upper[0] = L'N';
    EXPECT_TRUE(Rename(1, upper));
    EXPECT_EQ(NamesIn(host.Path()), (Names{upper, L"SavedXTR"}));
    EXPECT_EQ(ReadBytes(host / upper).substr(0, 10), "Old tool\r\n");
    EXPECT_TRUE(Reports().empty());
}

// Across volumes a move is a copy: the source is set aside before the copy
// takes its place, so that the entry is in one folder at every moment; a
// read-only source, which could not go, is refused before anything is copied.
TEST_F(FileFaultsTest, AMoveAcrossVolumesLeavesTheEntryInOneFolder) {
    WriteBytes(host / L"a.xtr", kOld);
    WriteBytes(host / L"ro.xtr", kOld);
    Start();
    ::SetFileAttributesW((host / L"ro.xtr").c_str(), FILE_ATTRIBUTE_READONLY);
    std::vector<std::pair<bool, bool>> seen; // (source still listed, target there) at each main step
    Ui::TestHooks().moveFile = [&](const std::wstring& source, const std::wstring& target) {
        if (!FileNameOf(source).starts_with(kTemporaryPrefix)) {
            ::SetLastError(ERROR_NOT_SAME_DEVICE); // the entry's own file: another volume
            return false;
        }
        seen.emplace_back(FileExists(host / FileNameOf(target)), FileExists(target));
        return ::MoveFileExW(source.c_str(), target.c_str(), 0) != FALSE;
    };
    EXPECT_EQ(MoveEntry(nullptr, EntryNamed(L"a.xtr")), ChangeEnd::Done);
    EXPECT_EQ(seen, (std::vector<std::pair<bool, bool>>{{false, false}}));
    EXPECT_EQ(MoveEntry(nullptr, EntryNamed(L"ro.xtr")), ChangeEnd::Failed);
    ASSERT_EQ(answers.messages.size(), 1u);
    EXPECT_EQ(
        answers.messages[0].text,
        L"The XTR file ro.xtr could not be made inactive: ro.xtr in the UI-View32 folder is read-only.");
    EXPECT_EQ(NamesIn(host.Path()), (Names{L"SavedXTR", L"ro.xtr"}));
    EXPECT_EQ(NamesIn(Saved()), Names{L"a.xtr"});
    EXPECT_EQ(ReadBytes(InSaved(L"a.xtr")), kOld);
}

// A file the user agreed to delete for good goes only once the rest of the
// command has succeeded: a move that fails (its file in use) keeps it.
TEST_F(FileFaultsTest, ForGoodWaitsForTheCommandToSucceed) {
    WriteBytes(host / L"b.xtr", kOld);
    WriteBytes(InSaved(L"b.xtr"), "Inactive B\r\n");
    Start();
    Ui::TestHooks().recycleFile = [](const std::wstring&) { return std::nullopt; };
    answers.messageReplies = {IDYES, IDYES};
    UniqueFile holder; // another program opens b.xtr while "Delete it for good?" waits
    answers.whileMessageShown = [&] {
        if (answers.messages.size() == 2) {
            holder = HoldOpen(host / L"b.xtr");
        }
    };
    EXPECT_EQ(MoveEntry(nullptr, EntryNamed(L"b.xtr")), ChangeEnd::Failed);
    holder.reset();
    ASSERT_EQ(answers.messages.size(), 3u);
    EXPECT_EQ(answers.messages[2].text,
              L"The XTR file b.xtr could not be made inactive: it is in use by another program.");
    EXPECT_EQ(ReadBytes(InSaved(L"b.xtr")), "Inactive B\r\n");
    EXPECT_EQ(NamesIn(Saved()), Names{L"b.xtr"});
}
