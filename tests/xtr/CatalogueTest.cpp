#include "XtrFixture.h"
#include "xtr/Catalogue.h"

#include <algorithm>

using namespace testsupport;

namespace {
const std::wstring kZoneDomains =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\ZoneMap\\Domains\\";

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

// The one file the path names, as the system opens it: an ordinary file, not a folder, a hidden or a
// system file; a path that names no one file is red, nothing listed.
TEST_F(CatalogueTest, AProgramIsFoundWhereANormalFileStandsAtItsPath) {
    WriteBytes(host / L"tool.exe", "MZ");
    ::CreateDirectoryW((host / L"Addons").c_str(), nullptr);
    WriteBytes(host / L"Addons\\hidden.exe", "MZ");
    ::SetFileAttributesW((host / L"Addons\\hidden.exe").c_str(), FILE_ATTRIBUTE_HIDDEN);
    const std::pair<std::string, bool> programs[] = {{ToAnsi(host / L"tool.exe"), true},
                                                     {"tool.exe", true},
                                                     {"Addons\\..\\.\\tool.exe", true},
                                                     {ToAnsi(host / L"nothing.exe"), false},
                                                     {ToAnsi(host / L"Addons"), false},
                                                     {"Addons\\", false},
                                                     {"Addons\\hidden.exe", false},
                                                     {"NoSuchDir\\tool.exe", false},
                                                     {"Q:\\tool.exe", false},
                                                     {ToAnsi(host / L"*.exe"), false},
                                                     {"", false}};
    for (size_t i = 0; i < std::size(programs); ++i) {
        Xtr(host / (std::to_wstring(i) + L".xtr"), programs[i].first);
    }
    Scan();
    for (size_t i = 0; i < std::size(programs); ++i) {
        const XtrRecord& entry = EntryNamed(std::to_wstring(i) + L".xtr");
        EXPECT_EQ(entry.programFound, programs[i].second) << programs[i].first;
        EXPECT_EQ(entry.programLook, ProgramLook::Looked) << programs[i].first;
    }
    EXPECT_EQ(EntryNamed(L"2.xtr").programAbsolute, host / L"tool.exe") << "the path as the system opens it";
    EXPECT_EQ(EntryNamed(L"10.xtr").programAbsolute, L"") << "no program is given";
    EXPECT_TRUE(Reports().empty());
}

// No spelling reaches a server outside the local network (under Wine every server but those the registry
// names): the path the system would open is judged, and its server alone. Inside, a server is looked at.
TEST_F(CatalogueTest, OnlyAServerInsideTheLocalNetworkIsLookedAt) {
    const DWORD intranet = 1;
    ::RegSetKeyValueW(HKEY_CURRENT_USER, (kZoneDomains + L"nas").c_str(), L"file", REG_DWORD, &intranet,
                      sizeof intranet);
    const char* const outside[] = {
        "\\\\203.0.113.9\\x\\a.exe",
        "\\\\203.0.113.7\\c:\\a.exe", // a server of its own: its zone is asked of it
        "\\\\?\\UNC\\203.0.113.8\\z:x\\a.exe",
        "\\\\.\\c:\\..\\UNC\\203.0.113.9\\x\\a.exe",
        "\\/.\\c:\\..\\UNC\\203.0.113.9\\x\\a.exe",
        "\\\\.\\UNC\\\\203.0.113.10\\x\\a.exe",
        "\\\\?\\UNC\\\\203.0.113.9\\x\\a.exe",
        "\\\\.\\UNC\\nas\\x\\..\\..\\203.0.113.9\\x\\a.exe",
        "\\\\?\\UNC\\nas\\x\\..\\..\\203.0.113.9\\x\\a.exe",
        "\\\\nas@SSL\\x\\a.exe",
        "\\\\3405803785\\x\\a.exe",
        "\\\\203.0.113.9.\\x\\a.exe"};
    for (size_t i = 0; i < std::size(outside); ++i) {
        Xtr(host / (std::to_wstring(i) + L".xtr"), outside[i]);
    }
    Xtr(host / L"inside.xtr", "\\\\nas\\x\\a.exe");
    Scan();
    for (size_t i = 0; i < std::size(outside); ++i) {
        const XtrRecord& entry = EntryNamed(std::to_wstring(i) + L".xtr");
        EXPECT_EQ(entry.programLook, ProgramLook::NotContacted) << outside[i];
        EXPECT_FALSE(entry.programFound) << outside[i];
    }
    EXPECT_NE(EntryNamed(L"inside.xtr").programLook, ProgramLook::NotContacted);
    EXPECT_TRUE(Reports().empty()) << "a server that is not there is a program not found";
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
    Xtr(host / third, "C:\\wild|\\tool.exe"); // a bad name
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
