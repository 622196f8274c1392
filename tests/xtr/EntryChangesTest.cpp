// What is written, moved, replaced and binned for the user, without a
// window: the questions are answered through the test's seam.
#include "XtrFixture.h"
#include "rules/XtrNames.h"
#include "xtr/Catalogue.h"
#include "xtr/EntryChanges.h"

#include <algorithm>
#include <cstdio>
#include <deque>
#include <functional>
#include <utility>

using namespace testsupport;

namespace {
constexpr wchar_t kChangedQuestion[] =
    L" was changed or removed by another program since Quillon read it. Do you want to save your version?";

class EntryChangesTest : public XtrFixture {
  protected:
    // The entry as the scan reads it from the file, for the editor to load.
    XtrRecord Scanned(std::wstring_view fileName) {
        Scan();
        return EntryNamed(fileName);
    }

    RecycleBinView bin;
    TempFolder outside;
};

// The tests that look into the bin: where it would be the user's own, they skip, and say so.
class EntryChangesBinTest : public EntryChangesTest {
  protected:
    void SetUp() override {
        EntryChangesTest::SetUp();
        if (!bin.Usable()) {
            GTEST_SKIP() << "no trash of the tests' own: XDG_DATA_HOME is not set";
        }
    }
};
} // namespace

TEST_F(EntryChangesTest, AnEditRewritesOnlyTheLinesWhoseValueChanged) {
    WriteBytes(host / L"a.xtr",
               "Alpha\r\nC:\\Tools\\z.exe\r\nyes\r\n1\r\nmy own notes line 5\r\nkeep me too\r\n");
    XtrRecord loaded = Scanned(L"a.xtr");
    XtrRecord edited = loaded;
    edited.title = L"Alpha edited";
    EXPECT_EQ(SaveEditedEntry(nullptr, edited, &loaded), ChangeEnd::Done);
    EXPECT_EQ(ReadBytes(host / L"a.xtr"),
              "Alpha edited\r\nC:\\Tools\\z.exe\r\nyes\r\n1\r\nmy own notes line 5\r\nkeep me too\r\n");

    loaded = Scanned(L"a.xtr");
    edited = loaded;
    edited.autoStop = false;
    EXPECT_EQ(SaveEditedEntry(nullptr, edited, &loaded), ChangeEnd::Done);
    EXPECT_EQ(ReadBytes(host / L"a.xtr"),
              "Alpha edited\r\nC:\\Tools\\z.exe\r\nyes\r\nFalse\r\nmy own notes line 5\r\nkeep me too\r\n");
    EXPECT_TRUE(answers.messages.empty());
    EXPECT_TRUE(Reports().empty());
}

// Of a large file the scan keeps the first part only; a change past it, of
// the same size, is still seen. Saved over after Yes, the other program's
// version goes into the bin, and its lines past the fourth stay.
TEST_F(EntryChangesBinTest, AChangePastTheBytesKeptIsAskedAboutAndItsVersionBinned) {
    const std::string head = "Big\r\nb.exe\r\nTrue\r\nFalse\r\n";
    std::string bytes = head + std::string(70 * 1024, 'x') + "\r\n";
    WriteBytes(host / L"b.xtr", bytes);
    const XtrRecord loaded = Scanned(L"b.xtr");
    bytes[bytes.size() - 3] = 'y'; // another program's change, near the end
    WriteBytes(host / L"b.xtr", bytes);
    XtrRecord edited = loaded;
    edited.autoStart = false;

    answers.messageReplies = {IDNO};
    EXPECT_EQ(SaveEditedEntry(nullptr, edited, &loaded), ChangeEnd::Declined);
    ASSERT_EQ(answers.messages.size(), 1u);
    EXPECT_EQ(answers.messages[0].text, L"b.xtr" + std::wstring(kChangedQuestion));
    EXPECT_TRUE(ReadBytes(host / L"b.xtr") == bytes);

    answers.messageReplies = {IDYES};
    EXPECT_EQ(SaveEditedEntry(nullptr, edited, &loaded), ChangeEnd::Done);
    std::string saved = bytes;
    saved.replace(saved.find("True"), 4, "False");
    EXPECT_TRUE(ReadBytes(host / L"b.xtr") == saved);
    EXPECT_TRUE(bin.Take(host / L"b.xtr") == bytes);
    EXPECT_EQ(NamesIn(host.Path()), (Names{L"SavedXTR", L"b.xtr"}));
}

// The user answers a question about what the disk holds when it is asked: a
// file changed meanwhile is asked about again, and its newer version is never
// lost.
TEST_F(EntryChangesBinTest, AFileChangedWhileAQuestionWaitsIsAskedAboutAgainAndKept) {
    WriteBytes(host / L"a.xtr", "A\r\n");
    WriteBytes(host / L"b.xtr", "B\r\n");
    const XtrRecord loaded = Scanned(L"a.xtr");
    XtrRecord edited = loaded;
    edited.fileName = L"b.xtr";
    bool changedOnce = false;
    answers.whileMessageShown = [&] {
        if (!std::exchange(changedOnce, true)) {
            WriteBytes(host / L"a.xtr", "A newer\r\n");
        }
    };
    answers.messageReplies = {IDYES, IDYES, IDYES};
    EXPECT_EQ(SaveEditedEntry(nullptr, edited, &loaded), ChangeEnd::Done);
    ASSERT_EQ(answers.messages.size(), 3u);
    EXPECT_EQ(answers.messages[1].text, L"a.xtr" + std::wstring(kChangedQuestion));
    EXPECT_EQ(answers.messages[2].text, answers.messages[0].text) << "b.xtr asked about again";
    EXPECT_EQ(LinesOf(host / L"b.xtr").at(0), "A");
    EXPECT_EQ(NamesIn(host.Path()), (Names{L"SavedXTR", L"b.xtr"}));
    EXPECT_EQ(bin.Take(host / L"a.xtr").value_or(""), "A newer\r\n");
    EXPECT_EQ(bin.Take(host / L"b.xtr").value_or(""), "B\r\n");
}

// New, a rename and a drop look in both folders: an entry never ends both
// active and inactive, and a file already in SavedXTR is not taken by a drop.
TEST_F(EntryChangesBinTest, AnEntryIsNeverMadeBothActiveAndInactive) {
    WriteBytes(InSaved(L"i.xtr"), "Inactive\r\n");
    XtrRecord edited;
    edited.fileName = L"i.xtr";
    edited.title = L"New";
    edited.active = true;
    answers.messageReplies = {IDYES};
    EXPECT_EQ(SaveEditedEntry(nullptr, edited, nullptr), ChangeEnd::Done);
    ASSERT_EQ(answers.messages.size(), 1u);
    EXPECT_EQ(answers.messages[0].text, L"i.xtr already exists in SavedXTR. Do you want to replace it?");
    EXPECT_EQ(NamesIn(Saved()), Names{});
    EXPECT_EQ(LinesOf(host / L"i.xtr").at(0), "New");
    EXPECT_EQ(bin.Take(InSaved(L"i.xtr")).value_or(""), "Inactive\r\n");

    WriteBytes(InSaved(L"s.xtr"), "S\r\n");
    TellNotInstalled(nullptr, InstallDroppedFiles(nullptr, {InSaved(L"s.xtr")}));
    EXPECT_EQ(
        answers.messages.back().text,
        L"These dropped files were not installed:\n\ns.xtr: it is an inactive entry already; Set Active "
        L"makes it active");
}

// A drop replaces the file of its name in both folders, so that the entry is
// listed once: one question names both, and Yes bins both.
TEST_F(EntryChangesBinTest, OneQuestionNamesEveryFileReplacedAndYesBinsThemAll) {
    WriteBytes(host / L"c.xtr", "Active C\r\n");
    WriteBytes(InSaved(L"c.xtr"), "Inactive C\r\n");
    WriteBytes(outside / L"c.xtr", "Dropped C\r\n");
    Scan();
    answers.messageReplies = {IDNO};
    TellNotInstalled(nullptr, InstallDroppedFiles(nullptr, {outside / L"c.xtr"}));
    ASSERT_EQ(answers.messages.size(), 2u) << "the question, then what was not installed";
    EXPECT_EQ(answers.messages[0].text,
              L"c.xtr already exists in the UI-View32 folder and in SavedXTR. Do you want to replace both?");
    EXPECT_EQ(ReadBytes(host / L"c.xtr"), "Active C\r\n");
    EXPECT_EQ(ReadBytes(InSaved(L"c.xtr")), "Inactive C\r\n");

    // The moment before the new file is put in place: the old one is in the
    // bin already, and the only copy of the new one carries the name it goes
    // to, for the next start to put in place should the run end there.
    std::vector<std::wstring> onTheWayTo;
    Ui::TestHooks().moveFile = [&](const std::wstring& source, const std::wstring& target) {
        const std::optional<TemporaryNameParts> parts = ParseTemporaryName(FileNameOf(source));
        onTheWayTo.push_back(parts && !FileExists(target) ? parts->destination : L"?");
        return ::MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
    };
    answers.messageReplies = {IDYES};
    InstallDroppedFiles(nullptr, {outside / L"c.xtr"});
    EXPECT_EQ(onTheWayTo, Names{L"c.xtr"});
    EXPECT_EQ(ReadBytes(host / L"c.xtr"), "Dropped C\r\n");
    EXPECT_TRUE(NamesIn(Saved()).empty());
    std::vector<std::string> binned = {bin.Take(host / L"c.xtr").value_or(""),
                                       bin.Take(InSaved(L"c.xtr")).value_or("")};
    std::sort(binned.begin(), binned.end());
    EXPECT_EQ(binned, (std::vector<std::string>{"Active C\r\n", "Inactive C\r\n"}));
    EXPECT_EQ(answers.messages.size(), 3u);
}

// Set Inactive renames the file: at no moment is it in both folders, nor in neither.
TEST_F(EntryChangesTest, AMoveIsOneRename) {
    WriteBytes(host / L"a.xtr", "A\r\n");
    const XtrRecord chosen = Scanned(L"a.xtr");
    std::vector<std::pair<std::wstring, std::wstring>> steps;
    Ui::TestHooks().moveFile = [&](const std::wstring& source, const std::wstring& target) {
        steps.emplace_back(source, target);
        return ::MoveFileExW(source.c_str(), target.c_str(), 0) != FALSE;
    };
    EXPECT_EQ(MoveEntry(nullptr, chosen), ChangeEnd::Done);
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0], std::make_pair(host / L"a.xtr", InSaved(L"a.xtr")));
    EXPECT_EQ(ReadBytes(InSaved(L"a.xtr")), "A\r\n");
    EXPECT_EQ(NamesIn(host.Path()), Names{L"SavedXTR"});
}

// The UI-View32 folder renamed away while Quillon runs: every command the user
// gives says so, besides its log line.
TEST_F(EntryChangesTest, CommandsOnAFolderThatIsGoneSaySo) {
    WriteBytes(host / L"a.xtr", "A\r\n");
    const XtrRecord chosen = Scanned(L"a.xtr");
    const std::wstring away = host.Path() + L"-away";
    ASSERT_TRUE(::MoveFileW(host.Path().c_str(), away.c_str()));
    answers.messageReplies = {};
    EXPECT_EQ(DeleteEntry(nullptr, chosen), ChangeEnd::Failed);
    EXPECT_EQ(MoveEntry(nullptr, chosen), ChangeEnd::Failed);
    TellFolderGone(nullptr);
    ASSERT_TRUE(::MoveFileW(away.c_str(), host.Path().c_str()));

    ASSERT_EQ(answers.messages.size(), 3u);
    EXPECT_EQ(answers.messages[0].text,
              L"The XTR file a.xtr could not be deleted: the folder " + host.Path() + L" is not there.");
    EXPECT_EQ(answers.messages[1].text,
              L"The XTR file a.xtr could not be made inactive: the folder " + Saved() + L" is not there.");
    EXPECT_EQ(answers.messages[2].text,
              L"Quillon cannot read the UI-View32 folder " + host.Path() + L": Path not found.");
    EXPECT_EQ(Reports(), (std::vector<std::string>{"76 in module Module1.DeleteXTR: Path not found",
                                                   "76 in module Module1.ActiveChanged: Path not found"}));
}

// Past the table's room every file listed is still tested, and one message
// says how many are listed.
TEST_F(EntryChangesTest, FilesPastTheTablesRoomAreLeftOutAndTold) {
    WriteBytes(host / L"tool.exe", "MZ");
    for (const wchar_t* name : {L"a.xtr", L"b.xtr", L"c.xtr"}) {
        WriteBytes(host / name, "T\r\ntool.exe\r\nTrue\r\nTrue\r\n");
    }
    scanned = ScanXTR(ReadHostFolderSetting(), serverLooks, 2);
    ASSERT_EQ(Catalogue().XtrCount, 2);
    EXPECT_TRUE(Catalogue().XtrTable[1].programFound && Catalogue().XtrTable[2].programFound)
        << "red only when not found";
    ASSERT_EQ(Reports().size(), 1u);
    EXPECT_EQ(Reports()[0].rfind("6 in module Module1.ScanXTR,  Line ", 0), 0u) << Reports()[0];
    TellFilesLeftOut(nullptr, Catalogue());
    ASSERT_EQ(answers.messages.size(), 1u);
    EXPECT_EQ(answers.messages[0].text.substr(0, 35), L"Quillon lists 2 of the 3 XTR files ");

    TellFilesLeftOut(nullptr, Scan());
    EXPECT_EQ(answers.messages.size(), 1u) << "nothing to tell when every file is listed";
}

// A bin that cannot take a file (under Wine: a trash whose files folder is a
// file) deletes nothing by itself and keeps no record of it: the user is
// asked, and No keeps the file.
TEST_F(EntryChangesTest, ABinThatCannotTakeAFileDeletesNothingUnasked) {
    if (bin.WineTrash().empty()) {
        GTEST_SKIP() << "only the tests' own trash can be made to refuse";
    }
    WriteBytes(host / L"b.xtr", "B\r\n");
    WriteBytes(outside / L"b.xtr", "Dropped B\r\n");
    ::CreateDirectoryW(bin.WineTrash().c_str(), nullptr);
    ::CreateDirectoryW((bin.WineTrash() + L"\\info").c_str(), nullptr);
    WriteBytes(bin.WineTrash() + L"\\files", "not a folder");
    EXPECT_EQ(DeleteEntry(nullptr, Scanned(L"b.xtr")), ChangeEnd::Declined);
    answers.messageReplies = {IDYES, IDNO};
    TellNotInstalled(nullptr, InstallDroppedFiles(nullptr, {outside / L"b.xtr"}));
    EXPECT_EQ(ReadBytes(host / L"b.xtr"), "B\r\n");
    EXPECT_TRUE(NamesIn(bin.WineTrash() + L"\\info").empty());
    ASSERT_EQ(answers.messages.size(), 4u);
    EXPECT_EQ(answers.messages[0].text, L"b.xtr cannot go to the Recycle Bin. Delete it for good?");
    EXPECT_EQ(answers.messages[2].text, answers.messages[0].text);
    EXPECT_NE(answers.messages[3].text.find(L"b.xtr: skipped"), std::wstring::npos);
}

// Under Wine the bin is the desktop trash, kept by its rules: a file under its own name (the next of that
// name numbered), its info record naming the file's own Unix path, escaped as in a URL, and the local time.
TEST_F(EntryChangesTest, UnderWineADeletedFileLiesInTheTrashWithItsRecord) {
    if (bin.WineTrash().empty()) {
        GTEST_SKIP() << "the desktop trash is Wine's";
    }
    const std::wstring name = L"a b\u00E9.xtr";
    for (const char* bytes : {"First\r\n", "Second\r\n"}) {
        WriteBytes(host / name, bytes);
        EXPECT_EQ(DeleteEntry(nullptr, Scanned(name)), ChangeEnd::Done);
    }
    EXPECT_EQ(ReadBytes(bin.WineTrash() + L"\\files\\" + name), "First\r\n");
    EXPECT_EQ(ReadBytes(bin.WineTrash() + L"\\files\\" + name + L".2"), "Second\r\n");
    const std::string record = ReadBytes(bin.WineTrash() + L"\\info\\" + name + L".2.trashinfo");
    ASSERT_EQ(record.rfind("[Trash Info]\nPath=/", 0), 0u) << record;
    std::string path; // Path= with its escapes undone
    for (size_t i = record.find('/'); i < record.size() && record[i] != '\n'; ++i) {
        EXPECT_EQ(std::string(" \xC3\xA9").find(record[i]), std::string::npos) << "unescaped in " << record;
        path +=
            record[i] != '%' ? record[i] : static_cast<char>(std::stoi(record.substr(i + 1, 2), nullptr, 16));
        i += record[i] == '%' ? 2 : 0;
    }
    const auto unixName = SystemFunction<char*(const wchar_t*)>(L"kernel32.dll", "wine_get_unix_file_name");
    EXPECT_EQ(path, unixName((host / name).c_str()));
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    char date[32];
    std::snprintf(date, sizeof(date), "\nDeletionDate=%04d-%02d-%02dT", now.wYear, now.wMonth, now.wDay);
    EXPECT_NE(record.find(date), std::string::npos) << record;
}

// Another program acting during the command, at one of its named steps (a save renaming a newer version over
// the file, a second Quillon's Set Inactive, a rewrite as the bin takes the file): the command asks again,
// and No keeps what that program left where it left it, the entry in one folder, nothing in the bin.
TEST_F(EntryChangesBinTest, WhatAnotherProgramDoesDuringTheCommandIsAskedAbout) {
    struct Case {
        const wchar_t *step, *file;
        std::deque<int> replies;
        const wchar_t* question;
        std::function<void()> act;
        std::wstring kept;
        const char* keptBytes;
    };
    XtrRecord loaded;
    const Case cases[] = {
        {L"written",
         L"a.xtr",
         {IDNO},
         kChangedQuestion,
         [&] {
             WriteBytes(outside / L"newer", "Newer\r\n");
             ::MoveFileExW((outside / L"newer").c_str(), (host / L"a.xtr").c_str(),
                           MOVEFILE_REPLACE_EXISTING);
         },
         host / L"a.xtr",
         "Newer\r\n"},
        {L"written",
         L"a.xtr",
         {IDNO},
         kChangedQuestion,
         [&] { ::MoveFileW((host / L"a.xtr").c_str(), InSaved(L"a.xtr").c_str()); },
         InSaved(L"a.xtr"),
         "Mine\r\n"},
        {L"held",
         L"b.xtr",
         {IDYES, IDNO},
         L" already exists in SavedXTR. Do you want to replace it?",
         [&] { WriteBytes(InSaved(L"b.xtr"), "Newer\r\n"); },
         InSaved(L"b.xtr"),
         "Newer\r\n"},
    };
    for (const Case& c : cases) {
        WriteBytes(host / c.file, "Mine\r\n");
        WriteBytes(InSaved(L"b.xtr"), "Theirs\r\n");
        loaded = Scanned(c.file);
        XtrRecord edited = loaded;
        edited.title = L"Edited";
        Ui::TestHooks().stepReached = [&, acted = false](std::wstring_view step) mutable {
            if (step == c.step && !std::exchange(acted, true)) {
                c.act();
            }
        };
        answers.messages.clear();
        answers.messageReplies = c.replies;
        EXPECT_EQ(c.step == std::wstring(L"held") ? MoveEntry(nullptr, loaded)
                                                  : SaveEditedEntry(nullptr, edited, &loaded),
                  ChangeEnd::Declined);
        ASSERT_FALSE(answers.messages.empty());
        EXPECT_EQ(answers.messages.back().text, c.file + std::wstring(c.question));
        EXPECT_EQ(ReadBytes(c.kept), c.keptBytes);
        EXPECT_FALSE(FileExists(host / L"a.xtr") && FileExists(InSaved(L"a.xtr"))) << "in both folders";
        EXPECT_FALSE(bin.Take(c.kept).has_value()) << "taken back out of the bin";
        RemoveTree(host.Path());
        ::CreateDirectoryW(host.Path().c_str(), nullptr);
        ::CreateDirectoryW(Saved().c_str(), nullptr);
    }
}
