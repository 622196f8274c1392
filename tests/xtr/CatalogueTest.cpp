#include "XtrFixture.h"
#include "xtr/Catalogue.h"
#include "xtr/ProgramCheck.h"

#include <algorithm>
#include <atomic>
#include <memory>

using namespace testsupport;

namespace {
class CatalogueTest : public XtrFixture {
  protected:
    void Xtr(const std::wstring& path, const std::string& programLine, const std::string& title = "t") {
        WriteBytes(path, title + "\r\n" + programLine + "\r\nFalse\r\nFalse\r\n");
    }

    // The file names of the entries, in the catalogue's order.
    Names ListedNames() const {
        Names names;
        for (int i = 1; i <= Catalogue().XtrCount; ++i) {
            names.push_back(Catalogue().XtrTable[static_cast<size_t>(i)].fileName);
        }
        return names;
    }
};
} // namespace

TEST_F(CatalogueTest, NoFilesLeavesOnlyTheBlankElement) {
    scanned.XtrTable.resize(5);
    scanned.XtrCount = 4;
    Scan();
    EXPECT_EQ(Catalogue().XtrCount, 0);
    ASSERT_EQ(Catalogue().XtrTable.size(), 1u);
    EXPECT_EQ(Catalogue().XtrTable[0], XtrRecord{});
    EXPECT_TRUE(Reports().empty());
}

TEST_F(CatalogueTest, ActiveFilesComeFirstAndBothFoldersAreListed) {
    Xtr(InSaved(L"aaa.xtr"), "x.exe");
    Xtr(host / L"zzz.xtr", "x.exe");
    Xtr(host / L"yyy.XTR", "x.exe");
    Xtr(InSaved(L"zzz.xtr"), "x.exe", "saved copy");
    Scan();
    ASSERT_EQ(Catalogue().XtrCount, 4);
    EXPECT_EQ(Catalogue().XtrTable.size(), 5u) << "the upper bound equals the count";
    for (int i = 1; i <= 2; ++i) {
        EXPECT_TRUE(Catalogue().XtrTable[i].active) << i;
        EXPECT_EQ(Catalogue().XtrTable[i].folder, host.Path());
    }
    for (int i = 3; i <= 4; ++i) {
        EXPECT_FALSE(Catalogue().XtrTable[i].active) << i;
        EXPECT_EQ(Catalogue().XtrTable[i].folder, Saved());
    }
    const std::vector<std::wstring> names = ListedNames();
    std::vector<std::wstring> active(names.begin(), names.begin() + 2);
    std::sort(active.begin(), active.end());
    EXPECT_EQ(active, (std::vector<std::wstring>{L"yyy.XTR", L"zzz.xtr"}));
    // The same name in both folders gives two entries, each read from its own folder.
    EXPECT_EQ(std::count(names.begin(), names.end(), L"zzz.xtr"), 2);
    EXPECT_EQ(Catalogue().XtrTable[3].fileName == L"zzz.xtr" ? Catalogue().XtrTable[3].title
                                                             : Catalogue().XtrTable[4].title,
              L"saved copy");

    const std::vector<XtrRecord> first = Catalogue().XtrTable;
    Scan();
    EXPECT_EQ(Catalogue().XtrTable, first) << "a second scan with no change gives the same table";
}

TEST_F(CatalogueTest, OnlyNormalFilesWithTheXtrExtensionAreListed) {
    Xtr(host / L"real.xtr", "x.exe");
    Xtr(host / L"hidden.xtr", "x.exe");
    ::SetFileAttributesW((host / L"hidden.xtr").c_str(), FILE_ATTRIBUTE_HIDDEN);
    Xtr(host / L"system.xtr", "x.exe");
    ::SetFileAttributesW((host / L"system.xtr").c_str(), FILE_ATTRIBUTE_SYSTEM);
    Xtr(host / L"readonly.xtr", "x.exe");
    ::SetFileAttributesW((host / L"readonly.xtr").c_str(), FILE_ATTRIBUTE_READONLY);
    ::CreateDirectoryW((host / L"folder.xtr").c_str(), nullptr);
    Xtr(host / L"notes.xtra", "x.exe");
    Xtr(host / L"a-rather-long-name.xtrx", "x.exe");
    Xtr(InSaved(L"other.txt"), "x.exe");
    Scan();
    std::vector<std::wstring> names = ListedNames();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"readonly.xtr", L"real.xtr"}));
    ::SetFileAttributesW((host / L"readonly.xtr").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(CatalogueTest, AnUnreadableFileIsListedAndReported) {
    Xtr(host / L"busy.xtr", "x.exe");
    const UniqueFile holder = HoldOpen(host / L"busy.xtr");
    ASSERT_TRUE(static_cast<bool>(holder));
    Scan();
    ASSERT_EQ(Catalogue().XtrCount, 1);
    EXPECT_EQ(Catalogue().XtrTable[1].fileName, L"busy.xtr");
    EXPECT_TRUE(Catalogue().XtrTable[1].title.empty());
    EXPECT_EQ(Reports(),
              std::vector<std::string>{"70 in module Module1.ReadXTR sourceline = 0: Permission denied"});
}

TEST_F(CatalogueTest, ProgramExistenceIsADirectoryListingOfNormalFiles) {
    WriteBytes(host / L"tool.exe", "MZ");
    ::CreateDirectoryW((host / L"Addons").c_str(), nullptr);
    WriteBytes(host / L"Addons\\hidden.exe", "MZ");
    ::SetFileAttributesW((host / L"Addons\\hidden.exe").c_str(), FILE_ATTRIBUTE_HIDDEN);
    Xtr(host / L"existing.xtr", ToAnsi(host / L"tool.exe"));
    Xtr(host / L"relative.xtr", "tool.exe");
    Xtr(host / L"missing.xtr", ToAnsi(host / L"nothing.exe"));
    Xtr(host / L"folder.xtr", ToAnsi(host / L"Addons"));
    Xtr(host / L"hidden.xtr", "Addons\\hidden.exe");
    Xtr(host / L"nodir.xtr", "NoSuchDir\\tool.exe");
    Xtr(host / L"nodrive.xtr", "Q:\\tool.exe");
    Xtr(InSaved(L"wild.xtr"), ToAnsi(host / L"*.exe"));
    Xtr(InSaved(L"empty.xtr"), "");
    Scan();
    ASSERT_EQ(Catalogue().XtrCount, 9);
    EXPECT_TRUE(EntryNamed(L"existing.xtr").programFound);
    EXPECT_TRUE(EntryNamed(L"relative.xtr").programFound)
        << "a path without drive lies in the UI-View32 folder";
    EXPECT_FALSE(EntryNamed(L"missing.xtr").programFound);
    EXPECT_FALSE(EntryNamed(L"folder.xtr").programFound);
    EXPECT_FALSE(EntryNamed(L"hidden.xtr").programFound);
    EXPECT_FALSE(EntryNamed(L"nodir.xtr").programFound);
    EXPECT_FALSE(EntryNamed(L"nodrive.xtr").programFound);
    EXPECT_TRUE(EntryNamed(L"wild.xtr").programFound) << "a pattern counts as found when a file matches";
    EXPECT_TRUE(EntryNamed(L"empty.xtr").programFound) << "an empty path lists the UI-View32 folder itself";
    EXPECT_TRUE(Reports().empty());
}

// A server that does not answer is waited for about half a second once per
// scan, not a network timeout per entry. Wine has no shares: a probe stands
// for the first look on each server, one blocking ten seconds, one at once.
TEST_F(CatalogueTest, AServerThatDoesNotAnswerIsWaitedForOnceAndItsProgramsAreNotFound) {
    // Shared: the silent look may outlive the test.
    const auto released = std::make_shared<std::atomic<bool>>(false);
    const auto silentLooks = std::make_shared<std::atomic<int>>(0);
    const auto quickLooks = std::make_shared<std::atomic<int>>(0);
    ProgramProbeForTests() = [released, silentLooks, quickLooks](const std::wstring& program) {
        const bool silent = EqualsIgnoringCase(program.substr(0, 9), L"\\\\silent\\");
        ++*(silent ? silentLooks : quickLooks);
        if (silent) {
            for (int tenths = 0; tenths < 100 && !*released; ++tenths) {
                ::Sleep(100);
            }
        }
        return true;
    };
    WriteBytes(host / L"tool.exe", "MZ");
    Xtr(host / L"silent1.xtr", "\\\\silent\\share\\x.exe");
    Xtr(InSaved(L"silent2.xtr"), "\\\\SILENT\\other\\y.exe");
    Xtr(host / L"quick.xtr", "\\\\quick\\share\\x.exe");
    Xtr(host / L"local.xtr", "tool.exe");
    Scan();
    *released = true;
    ProgramProbeForTests() = nullptr;

    ASSERT_EQ(Catalogue().XtrCount, 4);
    for (const auto& [name, silent] : {std::pair{L"silent1.xtr", true}, std::pair{L"silent2.xtr", true},
                                       std::pair{L"quick.xtr", false}, std::pair{L"local.xtr", false}}) {
        EXPECT_EQ(EntryNamed(name).programFound, !silent) << name;
        EXPECT_EQ(EntryNamed(name).serverSilent, silent) << name;
    }
    // On a busy machine the silent server's one look may not even have begun.
    EXPECT_LE(*silentLooks, 1) << "a silent server is looked at once, not once per program";
    EXPECT_EQ(*quickLooks, 2) << "a first look at the server, then the program itself";
    EXPECT_TRUE(Reports().empty());
}

TEST_F(CatalogueTest, AnOddProgramPathIsThatEntrysOwnProblem) {
    // Five entries whose third (in listing order) names an impossible path.
    WriteBytes(host / L"tool.exe", "MZ");
    for (const wchar_t* name : {L"e1.xtr", L"e2.xtr", L"e3.xtr", L"e4.xtr", L"e5.xtr"}) {
        Xtr(host / name, "tool.exe");
    }
    Scan();
    ASSERT_EQ(Catalogue().XtrCount, 5);
    const std::wstring third = Catalogue().XtrTable[3].fileName;
    Xtr(host / third, "C:\\wild?\\tool.exe"); // a wildcard in a folder name is a bad name
    Scan();
    ASSERT_EQ(Catalogue().XtrCount, 5);
    ASSERT_EQ(Catalogue().XtrTable[3].fileName, third);
    EXPECT_TRUE(Catalogue().XtrTable[1].programFound && Catalogue().XtrTable[2].programFound);
    EXPECT_FALSE(Catalogue().XtrTable[3].programFound);
    EXPECT_TRUE(Catalogue().XtrTable[4].programFound && Catalogue().XtrTable[5].programFound)
        << "the scan goes on after it";
    EXPECT_EQ(Reports(),
              std::vector<std::string>{"52 in module Module1.ScanXTR,  Line 8: Bad file name or number"});
}
