#include "rules/HostPaths.h"

#include <gtest/gtest.h>

#include <utility>

TEST(HostPaths, OneTrailingBackslashIsRemoved) {
    EXPECT_EQ(WithoutTrailingBackslash(L"C:\\Program Files\\UI-View32\\"), L"C:\\Program Files\\UI-View32");
    EXPECT_EQ(WithoutTrailingBackslash(L"C:\\Program Files\\UI-View32"), L"C:\\Program Files\\UI-View32");
    EXPECT_EQ(WithoutTrailingBackslash(L"C:\\UI-View32\\\\"), L"C:\\UI-View32\\");
    EXPECT_EQ(WithoutTrailingBackslash(L""), L"");
}

// Each row holds with the setting stored with and without its trailing backslash.
TEST(HostPaths, TheFolderIsJoinedAndStrippedOnlyAtItsBoundary) {
    struct Row {
        ProgramPathView path;
        const wchar_t *absolute, *forFile;
    };
    const Row rows[] = {
        {{L"C:", L"\\UI-View32\\Addons", L"x.exe"}, L"C:\\UI-View32\\Addons\\x.exe", L"Addons\\x.exe"},
        {{L"C:", L"\\UI-View32 Tools", L"x"}, L"C:\\UI-View32 Tools\\x", L"C:\\UI-View32 Tools\\x"},
        {{L"C:", L"", L"UI-View32x.exe"}, L"C:\\UI-View32x.exe", L"C:\\UI-View32x.exe"},
        {{L"c:", L"\\ui-view32", L"x.exe"}, L"c:\\ui-view32\\x.exe", L"c:\\ui-view32\\x.exe"}, // letter case
        {{L"", L"Addons", L"x.exe"}, L"C:\\UI-View32\\Addons\\x.exe", L"Addons\\x.exe"},
        {{L"", L"\\Addons", L"a.exe"}, L"C:\\UI-View32\\Addons\\a.exe", L"\\Addons\\a.exe"},
        {{L"", L"", L"a.exe"}, L"C:\\UI-View32\\a.exe", L"a.exe"},
        {{L"", L"", L""}, L"C:\\UI-View32\\", L""},
        {{L"", L"\\\\server\\share", L"a.exe"}, L"\\\\server\\share\\a.exe", L"\\\\server\\share\\a.exe"},
    };
    for (const wchar_t* setting : {L"C:\\UI-View32\\", L"C:\\UI-View32"}) {
        for (const Row& row : rows) {
            EXPECT_EQ(ProgramPathAbsoluteOf(row.path, setting), row.absolute)
                << setting << " " << row.absolute;
            EXPECT_EQ(ProgramPathForFileOf(row.path, setting), row.forFile) << setting << " " << row.absolute;
        }
    }
    // Without a setting the path stays as it was written.
    EXPECT_EQ(ProgramPathAbsoluteOf({L"", L"Addons", L"a.exe"}, L""), L"Addons\\a.exe");
    EXPECT_EQ(ProgramPathForFileOf({L"", L"Addons", L"a.exe"}, L""), L"Addons\\a.exe");
}

// Forms the system's full-path routine gives (device paths it may also leave as written), and where the
// program is then looked for; after some, the spelling of a program path that gives it.
TEST(HostPaths, AProgramIsLookedForWhereThePathOpenedNamesIt) {
    using enum ProgramPlace::Kind;
    const struct {
        const wchar_t* opened;
        ProgramPlace::Kind kind;
        const wchar_t *server, *share;
    } placed[] = {
        {L"C:\\Tools\\a.exe", Drive, L"C:", L""},
        {L"\\\\?\\z:\\x\\a.exe", Drive, L"z:", L""},
        {L"\\\\.\\C:\\a.exe", Drive, L"C:", L""},
        {L"\\\\nas\\x\\a.exe", Share, L"nas", L"x"}, // //nas/x/a.exe
        {L"\\\\?\\unc\\nas\\x\\a.exe", Share, L"nas", L"x"},
        {L"\\\\.\\UNC\\203.0.113.9\\x\\a.exe", Share, L"203.0.113.9", L"x"}, // \\.\c:\..\UNC\203.0.113.9\...
        {L"\\\\203.0.113.9\\c:\\a.exe", Share, L"203.0.113.9", L"c:"},       // a share named like a drive
        {L"\\\\nas-2_b.lan.\\x\\a.exe", Share, L"nas-2_b.lan.", L"x"},
    };
    for (const auto& row : placed) {
        const ProgramPlace place = ProgramPlaceOf(row.opened);
        EXPECT_EQ(place.kind, row.kind) << row.opened;
        EXPECT_EQ(place.server, row.server) << row.opened;
        EXPECT_EQ(place.share, row.share) << row.opened;
    }
    // Never to be contacted: an empty server (\\.\UNC\\h\..., //\h/...), an empty, "." or ".." part, another
    // device (C:\x\con among them), a server the zones cannot judge, an address in another spelling, a form
    // the system never gives.
    for (const wchar_t* opened :
         {L"\\\\.\\UNC\\\\203.0.113.10\\x\\a.exe", L"\\\\\\nas\\x\\a.exe", L"\\\\?\\C:\\x\\.\\a.exe",
          L"\\\\?\\UNC\\nas\\x\\..\\..\\203.0.113.9\\x\\a.exe", L"\\\\?\\C:\\..\\UNC\\203.0.113.9\\x\\a.exe",
          L"\\\\.\\pipe\\x", L"\\\\nas@SSL\\x\\a.exe", L"\\\\n\u00e4s\\x\\a.exe", L"\\\\nas..lan\\x\\a.exe",
          L"\\\\3405803785\\x\\a.exe", L"\\\\0xCB.0x71.9\\x\\a.exe", L"\\\\203.0.29449\\x\\a.exe",
          L"\\\\203.0.113.09\\x\\a.exe", L"\\\\256.0.113.9\\x\\a.exe", L"C:\\x/a.exe", L"x\\a.exe", L""}) {
        EXPECT_EQ(ProgramPlaceOf(opened).kind, Untold) << opened;
    }
    // No one file: a separator at the end, no file of the share, wildcards (\??\UNC\h\x\a.exe on drive C:).
    for (const wchar_t* opened : {L"C:\\Tools\\", L"\\\\?\\C:\\", L"\\\\nas\\x", L"\\\\nas\\x\\",
                                  L"C:\\Tools\\*.exe", L"C:\\??\\UNC\\203.0.113.9\\x\\a.exe"}) {
        EXPECT_EQ(ProgramPlaceOf(opened).kind, NoFile) << opened;
    }
}
