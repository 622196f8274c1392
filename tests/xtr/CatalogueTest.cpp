#include "XtrFixture.h"
#include "xtr/Catalogue.h"
#include "toolkit/Ui.h"

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <mutex>

using namespace testsupport;

namespace {
const std::wstring kZoneDomains =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\ZoneMap\\Domains\\";

class CatalogueTest : public XtrFixture {
  protected:
    void Xtr(const std::wstring& path, const std::string& programLine, const std::string& title = "t") {
        WriteBytes(path, title + "\r\n" + programLine + "\r\nFalse\r\nFalse\r\n");
    }

    using Looks = std::map<std::wstring, int>;
    // Servers as Wine has none, "silent" and "quick" in the Local Intranet
    // zone: a look at \\silent waits until released (10 s at most), any other
    // answers at once; looks are counted by path. Shared: a look may outlive the test.
    struct StandIn {
        std::mutex lock;
        Looks looks;
        std::atomic<bool> released = false;
        Looks Counted() {
            const std::lock_guard guard(lock);
            return looks;
        }
    };
    std::shared_ptr<StandIn> StandInServers() {
        const auto servers = std::make_shared<StandIn>();
        Ui::TestHooks().programProbe = [servers](const std::wstring& program) {
            {
                const std::lock_guard guard(servers->lock);
                ++servers->looks[program];
            }
            for (int i = 0; program.find(L"silent") != program.npos && i < 100 && !servers->released; ++i) {
                ::Sleep(100);
            }
            return true;
        };
        for (const std::wstring server : {L"silent", L"quick"}) {
            const DWORD intranet = 1;
            ::RegSetKeyValueW(HKEY_CURRENT_USER, (kZoneDomains + server).c_str(), L"file", REG_DWORD,
                              &intranet, sizeof intranet);
        }
        return servers;
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

// No file call reaches a server outside the local network (under Wine every
// server but those the registry names); a share inside is looked at afresh
// each scan, its look's answer used. A share that does not answer costs a
// scan one short wait, and while its look runs, no thread more.
TEST_F(CatalogueTest, SharesAreLookedAtOnceAndOnlyInsideTheLocalNetwork) {
    const auto servers = StandInServers();
    WriteBytes(host / L"tool.exe", "MZ");
    const char* const programs[] = {"\\\\203.0.113.9\\x\\a.exe",   "\\\\?\\UNC\\203.0.113.9\\x\\a.exe",
                                    "\\\\quick@SSL\\share\\a.exe", "\\\\quick\\share\\x.exe",
                                    "\\\\quick\\share\\y.exe",     "\\\\silent\\share\\x.exe",
                                    "\\\\SILENT\\Share\\y.exe",    "tool.exe"};
    const ProgramLook looks[] = {
        ProgramLook::NotContacted, ProgramLook::NotContacted, ProgramLook::NotContacted, ProgramLook::Looked,
        ProgramLook::Looked,       ProgramLook::ServerSilent, ProgramLook::ServerSilent, ProgramLook::Looked};
    for (size_t i = 0; i < std::size(programs); ++i) {
        Xtr(host / (std::to_wstring(i) + L".xtr"), programs[i]);
    }
    Scan();
    Scan();
    for (size_t i = 0; i < std::size(programs); ++i) {
        EXPECT_EQ(EntryNamed(std::to_wstring(i) + L".xtr").programLook, looks[i]) << programs[i];
        EXPECT_EQ(EntryNamed(std::to_wstring(i) + L".xtr").programFound, looks[i] == ProgramLook::Looked);
    }
    Looks counted = servers->Counted();
    counted.erase(L"\\\\silent\\share\\x.exe"); // its look may not have begun on a busy machine
    EXPECT_EQ(counted, (Looks{{L"\\\\quick\\share\\x.exe", 2}, {L"\\\\quick\\share\\y.exe", 2}}));
    for (int press = 0; press < 18; ++press) {
        Scan();
    }
    EXPECT_EQ(servers->Counted()[L"\\\\silent\\share\\x.exe"], 1) << "one look, one thread";
    EXPECT_TRUE(EntryNamed(L"7.xtr").programFound);
    servers->released = true;
    for (int tenths = 0; tenths < 50 && servers->Counted()[L"\\\\silent\\share\\x.exe"] < 2; ++tenths) {
        ::Sleep(100);
        Scan();
    }
    EXPECT_EQ(servers->Counted()[L"\\\\silent\\share\\x.exe"], 2) << "the ended look is not reused";
    EXPECT_TRUE(EntryNamed(L"5.xtr").programFound);
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
