#include "rules/HostPaths.h"

#include <gtest/gtest.h>

TEST(HostPaths, OneTrailingBackslashIsRemoved) {
    EXPECT_EQ(WithoutTrailingBackslash(L"C:\\Program Files\\UI-View32\\"), L"C:\\Program Files\\UI-View32");
    EXPECT_EQ(WithoutTrailingBackslash(L"C:\\Program Files\\UI-View32"), L"C:\\Program Files\\UI-View32");
    EXPECT_EQ(WithoutTrailingBackslash(L"C:\\UI-View32\\\\"), L"C:\\UI-View32\\");
    EXPECT_EQ(WithoutTrailingBackslash(L""), L"");
}

TEST(HostPaths, AbsolutePathJoinsTheSettingAsStored) {
    const std::wstring setting = L"C:\\UI-View32\\";
    EXPECT_EQ(ProgramPathAbsoluteOf({L"D:", L"\\Tools", L"a.exe"}, setting), L"D:\\Tools\\a.exe");
    EXPECT_EQ(ProgramPathAbsoluteOf({L"", L"Addons", L"Tool.exe"}, setting),
              L"C:\\UI-View32\\Addons\\Tool.exe");
    EXPECT_EQ(ProgramPathAbsoluteOf({L"", L"", L"Tool.exe"}, setting), L"C:\\UI-View32\\Tool.exe");
    EXPECT_EQ(ProgramPathAbsoluteOf({L"", L"", L""}, setting), setting);
    // A network path is absolute as written.
    EXPECT_EQ(ProgramPathAbsoluteOf({L"", L"\\\\server\\share", L"tool.exe"}, setting),
              L"\\\\server\\share\\tool.exe");
}

TEST(HostPaths, PathForFileDropsTheFolderOnlyWhenSpelledTheSame) {
    const std::wstring setting = L"C:\\UI-View32\\";
    EXPECT_EQ(ProgramPathForFileOf({L"C:", L"\\UI-View32\\Addons", L"Tool.exe"}, setting),
              L"Addons\\Tool.exe");
    EXPECT_EQ(ProgramPathForFileOf({L"c:", L"\\ui-view32\\Addons", L"Tool.exe"}, setting),
              L"c:\\ui-view32\\Addons\\Tool.exe");
    EXPECT_EQ(ProgramPathForFileOf({L"D:", L"\\Tools", L"a.exe"}, setting), L"D:\\Tools\\a.exe");
    EXPECT_EQ(ProgramPathForFileOf({L"", L"", L"a.exe"}, setting), L"a.exe");
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
