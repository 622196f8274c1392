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

TEST(HostPaths, OnlyADriveWithItsRootOrANetworkPathIsFull) {
    for (const wchar_t* path : {L"C:\\UI-View32\\", L"c:/UIV", L"C:\\", L"\\\\server\\share\\UIV"}) {
        EXPECT_TRUE(IsFullPath(path)) << path;
    }
    for (const wchar_t* path : {L"UI-View32\\", L"\\UI-View32", L"C:UIV", L"C:", L"\"C:\\UIV\\\"", L""}) {
        EXPECT_FALSE(IsFullPath(path)) << path;
    }
}

TEST(HostPaths, OnlyANetworkPathHasAServer) {
    for (const auto& [path, server] : {std::pair{L"\\\\Server\\share\\x.exe", L"Server"},
                                       {L"//Server/share", L"Server"},
                                       {L"\\\\?\\unc\\Server\\share", L"Server"},
                                       {L"\\\\.\\pipe\\x", L"."}}) {
        EXPECT_EQ(std::wstring(NetworkServerOf(path)), server) << path;
    }
    for (const wchar_t* path : {L"C:\\x.exe", L"\\x.exe", L"\\\\?\\C:\\x.exe", L"/x.exe", L""}) {
        EXPECT_TRUE(NetworkServerOf(path).empty()) << path;
    }
}
