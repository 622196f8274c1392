#include "XtrFixture.h"
#include "rules/XtrNames.h"
#include "xtr/XtrFile.h"

#include <algorithm>

using namespace testsupport;

namespace {
class XtrFileTest : public XtrFixture {
  protected:
    // The entry the test writes or reads names folder\name.
    XtrRecord& EntryFor(const std::wstring& folder, const std::wstring& name) {
        entry_ = XtrRecord{};
        entry_.folder = folder;
        entry_.fileName = name;
        return entry_;
    }

    XtrRecord ReadBack(const std::wstring& folder, const std::wstring& name) {
        ReadXTR(EntryFor(folder, name));
        return entry_;
    }

    // Writes the entry as a save does: over the file there as the entry read it, else as a new one.
    TrapResult Write() {
        const std::wstring path = JoinPath(entry_.folder, entry_.fileName);
        if (IsPlainFileName(entry_.fileName) && FileExists(path)) {
            entry_.bytes = ReadBytes(path);
            return ContentChanged(entry_, ReadHostFolderSetting());
        }
        FileChange change;
        const TrapResult written = ContentChanged(entry_, ReadHostFolderSetting(), &change);
        return written ? Trap(L"Module1.ContentChanged", [&] { change.Commit(); }) : written;
    }

    XtrRecord entry_;

    static std::string LocalDateAndTime() {
        SYSTEMTIME now;
        ::GetLocalTime(&now);
        wchar_t date[80], time[80];
        ::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, date, 80);
        ::GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &now, nullptr, time, 80);
        return ToAnsi(date) + " " + ToAnsi(time).substr(0, 2); // minutes may turn over meanwhile
    }
};
} // namespace

TEST_F(XtrFileTest, ReadingRealFiles) {
    WriteBytes(host / L"full.xtr",
               "Weather\r\n\"C:\\Program Files\\Wx\\wx.exe\"\r\nYes\r\noff\r\n---\r\nx\r\n");
    const XtrRecord full = ReadBack(host.Path(), L"full.xtr");
    EXPECT_EQ(full.title, L"Weather");
    EXPECT_EQ(full.programDrive, L"C:");
    EXPECT_EQ(full.programDir, L"\\Program Files\\Wx");
    EXPECT_EQ(full.programFile, L"wx.exe");
    EXPECT_TRUE(full.autoStart);
    EXPECT_FALSE(full.autoStop);

    WriteBytes(host / L"lf.xtr", "Title\nC:\\a.exe\nTrue\nTrue\n");
    const XtrRecord lf = ReadBack(host.Path(), L"lf.xtr");
    EXPECT_EQ(lf.title, L"Title\nC:\\a.exe\nTrue\nTrue\n");
    EXPECT_FALSE(lf.autoStart);

    WriteBytes(host / L"title.xtr", "Only a title");
    const XtrRecord title = ReadBack(host.Path(), L"title.xtr");
    EXPECT_EQ(title.title, L"Only a title");
    EXPECT_TRUE(title.programDrive.empty() && title.programDir.empty() && title.programFile.empty());
    EXPECT_FALSE(title.autoStart || title.autoStop);

    // Each line's bytes are in the ANSI code page; in a double-byte one, a last
    // byte that would lead a character does not take the CR after it.
    WriteBytes(host / L"ansi.xtr", "Z\xFCrich caf\xE9\r\nC:\\z.exe\r\n");
    const XtrRecord ansi = ReadBack(host.Path(), L"ansi.xtr");
    EXPECT_EQ(ansi.title, AnsiText("Z\xFCrich caf\xE9"));
    EXPECT_EQ(ansi.programFile, L"z.exe");

    // Far more than four lines: only the first four count, wherever the reading stops.
    WriteBytes(host / L"long.xtr", "Long\r\nb.exe\r\n1\r\nON\r\n" + std::string(100000, 'x') + "\r\n");
    const XtrRecord longFile = ReadBack(host.Path(), L"long.xtr");
    EXPECT_EQ(longFile.programFile, L"b.exe");
    EXPECT_TRUE(longFile.autoStart && longFile.autoStop);
    EXPECT_TRUE(Reports().empty());
}

TEST_F(XtrFileTest, AFileInUseIsReportedAndLeavesTheEntryAsItWas) {
    WriteBytes(host / L"busy.xtr", "Busy\r\n");
    const UniqueFile holder = HoldOpen(host / L"busy.xtr");
    ASSERT_TRUE(static_cast<bool>(holder));
    XtrRecord& entry = EntryFor(host.Path(), L"busy.xtr");
    entry.title = L"before";
    ReadXTR(entry);
    EXPECT_EQ(entry.title, L"before");
    ASSERT_EQ(Reports().size(), 1u);
    EXPECT_EQ(Reports()[0], "70 in module Module1.ReadXTR sourceline = 0: Permission denied");
}

TEST_F(XtrFileTest, WrittenFileIsByteExactAndReadsBack) {
    const std::wstring title = L"Z\u00FCrich weather";
    XtrRecord& entry = EntryFor(host.Path(), L"Wx.xtr");
    entry.title = title;
    entry.programDrive = L"C:";
    entry.programDir = L"\\Program Files\\Wx";
    entry.programFile = L"wx.exe";
    entry.autoStart = true;
    const std::string expectedStamp = LocalDateAndTime();
    Write();
    EXPECT_TRUE(Reports().empty());

    const std::string bytes = ReadBytes(host / L"Wx.xtr");
    // The title as the ANSI code page holds it (where it lacks a character, as the system replaces it).
    const std::string head = AnsiBytes(title) +
                             "\r\n\"C:\\Program Files\\Wx\\wx.exe\"\r\nTrue\r\nFalse\r\n"
                             "-----------------------------\r\ncreated by UI-View Quillon V1.1.0 on ";
    ASSERT_EQ(bytes.substr(0, head.size()), head);
    const std::string trailer = bytes.substr(head.size());
    EXPECT_EQ(trailer.substr(0, expectedStamp.size()), expectedStamp)
        << "local short date, a blank, local time";
    ASSERT_GE(trailer.size(), 2u);
    EXPECT_EQ(trailer.substr(trailer.size() - 2), "\r\n");
    EXPECT_EQ(trailer.find_first_of("\r\n"), trailer.size() - 2) << "the trailer is one line";

    const XtrRecord back = ReadBack(host.Path(), L"Wx.xtr");
    EXPECT_EQ(back.title, AnsiText(AnsiBytes(title)));
    EXPECT_EQ(back.programDrive, L"C:");
    EXPECT_EQ(back.programDir, L"\\Program Files\\Wx");
    EXPECT_EQ(back.programFile, L"wx.exe");
    EXPECT_TRUE(back.autoStart);
    EXPECT_FALSE(back.autoStop);
}

TEST_F(XtrFileTest, WriterStoresPathsInsideTheHostFolderRelativeAndReplacesTheWholeFile) {
    WriteBytes(host / L"rel.xtr", std::string(5000, '#')); // longer than the new text
    XtrRecord& entry = EntryFor(host.Path(), L"rel.xtr");
    entry.programDrive = host.Path().substr(0, 2);
    entry.programDir = host.Path().substr(2) + L"\\Addons";
    entry.programFile = L"t.exe";
    Write();
    const std::string bytes = ReadBytes(host / L"rel.xtr");
    EXPECT_EQ(bytes.substr(0, 16), "\r\nAddons\\t.exe\r\n");
    EXPECT_EQ(bytes.find('#'), std::string::npos) << "nothing of the old content is left";
    EXPECT_EQ(NamesIn(host.Path()).size(), 2u) << "rel.xtr and SavedXTR, no temporary file";
}

TEST_F(XtrFileTest, FailedWritesLeaveNoFileBehind) {
    // A folder that does not exist: no file and one report.
    EntryFor(host / L"missing", L"a.xtr").title = L"x";
    Write();
    EXPECT_FALSE(FolderExists(host / L"missing"));
    ASSERT_EQ(Reports().size(), 1u);
    EXPECT_EQ(Reports()[0], "76 in module Module1.ContentChanged: Path not found");

    // A folder in the target's place. (A target in use or read-only: FileFaultsTest.)
    ::CreateDirectoryW((host / L"dir.xtr").c_str(), nullptr);
    EntryFor(host.Path(), L"dir.xtr");
    Write();
    EXPECT_TRUE(FolderExists(host / L"dir.xtr"));
    EXPECT_EQ(Reports().size(), 2u);

    EXPECT_EQ(NamesIn(host.Path()), (Names{L"SavedXTR", L"dir.xtr"}));
}

TEST_F(XtrFileTest, DeviceAndUnsafeNamesAreNeverWritten) {
    for (const wchar_t* name :
         {L"CON.xtr", L"nul.xtr", L"com1.XTR", L"a.xtr:stream", L"..\\up.xtr", L"a?.xtr"}) {
        EntryFor(host.Path(), name).title = L"x";
        Write();
        ASSERT_FALSE(Reports().empty()) << name;
        EXPECT_EQ(Reports().back(), "52 in module Module1.ContentChanged: Bad file name or number") << name;
    }
    EXPECT_EQ(Reports().size(), 6u);
    EXPECT_EQ(NamesIn(host.Path()), std::vector<std::wstring>{L"SavedXTR"});
}
