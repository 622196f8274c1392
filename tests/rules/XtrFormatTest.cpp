#include "rules/GridText.h"
#include "rules/XtrFormat.h"
#include "rules/XtrNames.h"
#include "support/Entries.h"

#include <gtest/gtest.h>

namespace {
XtrRecord ReadLines(std::wstring_view text) {
    XtrRecord entry;
    int marker = 0;
    int number = 0;
    for (std::wstring_view line : SplitXtrLines(text)) {
        ApplyXtrLine(entry, ++number, line, marker);
    }
    return entry;
}

using testsupport::Program;
} // namespace

TEST(IsitTrue, SpellingsOfTrue) {
    for (const wchar_t* text : {L"yes", L"Yes", L"on", L"1", L"TRUE", L"true", L"oN", L"yEs"}) {
        EXPECT_TRUE(IsitTrue(text)) << text;
    }
    for (const wchar_t* text : {L" yes", L"yes ", L"Y", L"-1", L"2", L"", L"truee", L"of", L"y\u00C9s"}) {
        EXPECT_FALSE(IsitTrue(text)) << text;
    }
}

TEST(SplitProgramPath, ExampleTable) {
    struct Case {
        const wchar_t *path, *drive, *dir, *file;
    };
    const Case cases[] = {
        {L"C:\\Program Files\\APRS\\tool.exe", L"C:", L"\\Program Files\\APRS", L"tool.exe"},
        {L"C:\\tool.exe", L"C:", L"", L"tool.exe"},
        {L"C:tool.exe", L"C:", L"", L"tool.exe"},
        {L"Addons\\tool.exe", L"", L"Addons", L"tool.exe"},
        {L"\\tool.exe", L"", L"", L"tool.exe"},
        {L"tool.exe", L"", L"", L"tool.exe"},
        {L"", L"", L"", L""},
        // A colon further on still takes the first two characters as the drive; one
        // in the first place does not.
        {L"ab\\c:d", L"ab", L"", L"c:d"},
        {L":x\\y", L"", L":x", L"y"},
        {L"D:\\Tools\\", L"D:", L"\\Tools", L""},
    };
    for (const Case& c : cases) {
        const ProgramPathPieces pieces = SplitProgramPath(c.path);
        EXPECT_EQ(pieces.drive, c.drive) << c.path;
        EXPECT_EQ(pieces.dir, c.dir) << c.path;
        EXPECT_EQ(pieces.file, c.file) << c.path;
    }
}

TEST(XtrLines, LineEndsAreCrLfOrALoneCrNeverALoneLf) {
    EXPECT_EQ(SplitXtrLines(L"a\r\nb\rc\r\n"), (std::vector<std::wstring_view>{L"a", L"b", L"c"}));
    EXPECT_EQ(SplitXtrLines(L"a\nb\nc"), (std::vector<std::wstring_view>{L"a\nb\nc"}));
    EXPECT_EQ(SplitXtrLines(L"a\r\r\nb"), (std::vector<std::wstring_view>{L"a", L"", L"b"}));
    EXPECT_EQ(SplitXtrLines(L"\r\n"), (std::vector<std::wstring_view>{L""}));
    EXPECT_TRUE(SplitXtrLines(L"").empty());

    const XtrRecord lfOnly = ReadLines(L"Title\nC:\\a.exe\nTrue\nTrue\n");
    EXPECT_EQ(lfOnly.title, L"Title\nC:\\a.exe\nTrue\nTrue\n") << "everything lands in the title";
    EXPECT_TRUE(lfOnly.programFile.empty());
    EXPECT_FALSE(lfOnly.autoStart);
}

TEST(XtrLines, LineTwoQuotes) {
    const XtrRecord quoted = ReadLines(L"t\r\n\"C:\\Program Files\\x.exe\"\r\n");
    EXPECT_EQ(quoted.programDrive, L"C:");
    EXPECT_EQ(quoted.programDir, L"\\Program Files");
    EXPECT_EQ(quoted.programFile, L"x.exe");

    const XtrRecord lone = ReadLines(L"t\r\n\"\r\n");
    EXPECT_TRUE(lone.programDrive.empty() && lone.programDir.empty() && lone.programFile.empty());

    EXPECT_EQ(ReadLines(L"t\r\n\"a.exe\r\n").programFile, L"a.exe") << "leading quote only";
    EXPECT_EQ(ReadLines(L"t\r\na.exe\"\r\n").programFile, L"a.exe") << "trailing quote only";
    EXPECT_EQ(ReadLines(L"t\r\n\"\"a.exe\"\"\r\n").programFile, L"\"a.exe\"") << "one quote each side only";
}

TEST(XtrLines, FieldsAndTheirMarkers) {
    XtrRecord entry;
    entry.autoStop = true;
    int marker = 0;
    ApplyXtrLine(entry, 1, L"Only a title", marker);
    EXPECT_EQ(marker, 140);
    EXPECT_EQ(entry.title, L"Only a title");
    EXPECT_TRUE(entry.autoStop) << "a short file leaves the later fields as they were";
    ApplyXtrLine(entry, 2, L"", marker);
    EXPECT_EQ(marker, 190) << "an empty line 2 is still split";
    ApplyXtrLine(entry, 3, L"on", marker);
    EXPECT_EQ(marker, 210);
    EXPECT_TRUE(entry.autoStart);
    ApplyXtrLine(entry, 4, L"no", marker);
    EXPECT_EQ(marker, 230);
    EXPECT_FALSE(entry.autoStop);
    const XtrRecord before = entry;
    ApplyXtrLine(entry, 5, L"True", marker);
    ApplyXtrLine(entry, 6, L"created by", marker);
    EXPECT_EQ(entry, before) << "lines after the fourth are ignored";
}

// What the writer puts on a line stays on that line and reads back as it was.
TEST(XtrText, EachTextStaysOnItsLineAndReadsBack) {
    EXPECT_EQ(
        XtrClosingPair(L"UI-View Quillon V1.1.0", L"5/17/2020", L"8:30:00 AM"),
        L"-----------------------------\r\ncreated by UI-View Quillon V1.1.0 on 5/17/2020 8:30:00 AM\r\n");
    EXPECT_EQ(AsOneLine(L"two\r\nlines\rand\nan LF"), L"two lines and\nan LF")
        << "each CR LF or lone CR becomes a blank; a lone LF ends no line and stays";
    const struct {
        const wchar_t *path, *line;
    } cases[] = {
        {L"C:\\Program Files\\t.exe", L"\"C:\\Program Files\\t.exe\""},
        {L"a.exe", L"a.exe"},
        {L"", L""},
        {L"a.exe\"", L"\"a.exe\"\""},
        {L"C:\\a\r\nb.exe", L"\"C:\\a b.exe\""},
        {L"\"", L"\"\"\""},
        {L"\"\"", L"\"\"\"\""},
        {L"\"C:\\a.exe", L"\"\"C:\\a.exe\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(XtrProgramLine(c.path), c.line) << c.path;
        XtrRecord back;
        int marker = 0;
        ApplyXtrLine(back, 2, XtrProgramLine(c.path), marker);
        const ProgramPathPieces written = SplitProgramPath(AsOneLine(c.path));
        EXPECT_EQ(back.programDrive + back.programDir + L"|" + back.programFile,
                  written.drive + written.dir + L"|" + written.file)
            << c.path;
    }
}

TEST(XtrNames, ExtensionIsExactlyXtrInAnyCase) {
    for (const wchar_t* name : {L"a.xtr", L"A.XTR", L"b.XtR", L".xtr"}) {
        EXPECT_TRUE(HasXtrExtension(name)) << name;
    }
    for (const wchar_t* name : {L"notes.xtra", L"a.xt", L"xtr", L"a.xtr.tmp", L"a_xtr"}) {
        EXPECT_FALSE(HasXtrExtension(name)) << name;
    }
}

TEST(XtrNames, DeviceAndUnsafeNamesAreNotPlainFileNames) {
    for (const wchar_t* name : {L"CON.xtr", L"con", L"nul.XTR", L"Com1.xtr", L"LPT9.a.b", L"aux .xtr", L"PRN",
                                L"CONOUT$.xtr", L"com\u00B9.xtr"}) {
        EXPECT_TRUE(IsReservedDeviceName(name)) << name;
        EXPECT_FALSE(IsPlainFileName(name)) << name;
    }
    for (const wchar_t* name :
         {L"", L".", L"..", L"a:b.xtr", L"sub\\a.xtr", L"a/b.xtr", L"a?.xtr", L"a*.xtr", L"a\"b.xtr",
          L"a<b.xtr", L"a|b.xtr", L"a\tb.xtr", L"a.xtr.", L"a.xtr ", L"a.xtr. .", L" "}) {
        EXPECT_FALSE(IsPlainFileName(name)) << name;
    }
    EXPECT_TRUE(IsPlainFileName(std::wstring(251, L'n') + L".xtr"));
    EXPECT_FALSE(IsPlainFileName(std::wstring(252, L'n') + L".xtr")) << "longer than any file system keeps";
    for (const wchar_t* name : {L"console.xtr", L"com10.xtr", L"com0.xtr", L"lpt.xtr", L"my con.xtr",
                                L"Tool (v2).xtr", L"Z\u00FCrich.xtr", L" a.xtr", L".a.xtr"}) {
        EXPECT_TRUE(IsPlainFileName(name)) << name;
    }
}

TEST(GridText, ApplicationPathDisplay) {
    EXPECT_EQ(ProgramPathDisplayOf(Program(L"C:", L"\\Tools", L"a.exe")), L"C:\\Tools\\a.exe");
    EXPECT_EQ(ProgramPathDisplayOf(Program(L"", L"\\Addons", L"a.exe")), L"<UIView-Dir>\\Addons\\a.exe");
    EXPECT_EQ(ProgramPathDisplayOf(Program(L"", L"Addons", L"a.exe")), L"<UIView-Dir>Addons\\a.exe");
    EXPECT_EQ(ProgramPathDisplayOf(Program(L"", L"", L"a.exe")), L"<UIView-Dir>a.exe");
    EXPECT_EQ(ProgramPathDisplayOf(Program(L"", L"", L"")), L"<UIView-Dir>");
    EXPECT_EQ(ProgramPathDisplayOf(Program(L"C:", L"", L"a.exe")), L"C:\\a.exe");
    EXPECT_EQ(ProgramPathDisplayOf(Program(L"", L"\\\\server\\share", L"a.exe")),
              L"\\\\server\\share\\a.exe");
}

TEST(TemporaryNames, SayWhenTheyWereMadeAndWhereTheyWereGoing) {
    const unsigned long long stamp = 0x01DB2C3D4E5F6071ULL;
    const std::wstring plain = TemporaryName(stamp, 0x1A4, 7);
    EXPECT_FALSE(HasXtrExtension(plain));
    const std::optional<TemporaryNameParts> parts = ParseTemporaryName(plain);
    ASSERT_TRUE(parts.has_value());
    EXPECT_EQ(parts->stamp, stamp);
    EXPECT_FALSE(parts->held.has_value());

    const std::wstring moving = TemporaryNameOnTheWay(stamp, 0x1A4, 8, L"Beacon.xtr");
    EXPECT_FALSE(HasXtrExtension(moving));
    EXPECT_NE(moving, TemporaryNameOnTheWay(stamp, 0x1A4, 9, L"Beacon.xtr"));
    const std::optional<TemporaryNameParts> movingParts = ParseTemporaryName(moving);
    ASSERT_TRUE(movingParts.has_value());
    EXPECT_EQ(movingParts->held, Held::NewVersion);
    EXPECT_EQ(movingParts->destination, L"Beacon.xtr");
    for (const Held held : {Held::Copy, Held::SetAside}) {
        const std::optional<TemporaryNameParts> heldParts =
            ParseTemporaryName(TemporaryNameOnTheWay(stamp, 0x1A4, 8, L"Beacon.xtr", held));
        ASSERT_TRUE(heldParts.has_value());
        EXPECT_EQ(heldParts->held, held);
        EXPECT_EQ(heldParts->destination, L"Beacon.xtr");
    }

    // A destination too long to carry still marks the file as one never to delete.
    const std::wstring longest = TemporaryNameOnTheWay(stamp, 0x1A4, 8, std::wstring(251, L'n') + L".xtr");
    EXPECT_LE(longest.size(), 255u);
    const std::optional<TemporaryNameParts> longestParts = ParseTemporaryName(longest);
    ASSERT_TRUE(longestParts.has_value());
    EXPECT_EQ(longestParts->held, Held::NewVersion);
    EXPECT_TRUE(longestParts->destination.empty());

    for (const wchar_t* other :
         {L"~Quillon-276-0.tmp", L"~Quillon-276.rename.tmp", L"a.xtr", L"~Quillon-.tmp"}) {
        EXPECT_FALSE(ParseTemporaryName(other).has_value()) << other;
    }
}

// A save rewrites only the lines whose value changed; what the user wrote
// after the fourth line stays byte for byte, the writer's own closing pair is renewed.
TEST(SavedXtr, OnlyFreshLinesAndTheWritersOwnClosingChange) {
    const std::array<std::optional<std::string>, 4> titleOnly = {"New", std::nullopt, std::nullopt,
                                                                 std::nullopt};
    struct Case {
        const char *base, *saved;
    };
    const Case cases[] = {
        {"Old\r\nC:\\z.exe\ryes\r\n1\r\nmy notes\r\nkeep me\n",
         "New\r\nC:\\z.exe\ryes\r\n1\r\nmy notes\r\nkeep me\n"},
        {"Old\r\np\r\nyes\r\n1\r\n-----------------------------\r\ncreated by X on d t\r\n",
         "New\r\np\r\nyes\r\n1\r\n<closing>"},
        {"Old\r\np\r\nyes\r\n1", "New\r\np\r\nyes\r\n1\r\n<closing>"},
        {"Old\r\np\r\nyes\r\n1\r\n-----------------------------\r\ncreated by X\r\nmore\r\n",
         "New\r\np\r\nyes\r\n1\r\n-----------------------------\r\ncreated by X\r\nmore\r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(JoinSavedXtr(CutXtrFile(c.base), titleOnly, "<closing>"), c.saved) << c.base;
    }
    // A new file, or one holding less than four lines, gets every line the writer writes.
    const std::array<std::optional<std::string>, 4> all = {"T", "p", "True", "False"};
    EXPECT_EQ(JoinSavedXtr(CutXtrFile(""), all, "<closing>"), "T\r\np\r\nTrue\r\nFalse\r\n<closing>");
    EXPECT_EQ(JoinSavedXtr(CutXtrFile("Only a title"), {std::nullopt, "p", "True", "False"}, "<c>"),
              "Only a title\r\np\r\nTrue\r\nFalse\r\n<c>");
}
