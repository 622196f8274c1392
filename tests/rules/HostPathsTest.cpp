#include "rules/HostPaths.h"

#include <gtest/gtest.h>

TEST(HostPaths, OneTrailingBackslashIsRemoved) {
    EXPECT_EQ(WithoutTrailingBackslash(L"C:\\Program Files\\UI-View32\\"), L"C:\\Program Files\\UI-View32");
    EXPECT_EQ(WithoutTrailingBackslash(L"C:\\Program Files\\UI-View32"), L"C:\\Program Files\\UI-View32");
    EXPECT_EQ(WithoutTrailingBackslash(L"C:\\UI-View32\\\\"), L"C:\\UI-View32\\");
    EXPECT_EQ(WithoutTrailingBackslash(L""), L"");
}

namespace {
struct PathCase {
    ProgramPathView path;
    const wchar_t* expected;
};

// Each case holds with the setting stored with and without its trailing backslash.
void ExpectForBothSettings(std::wstring (*routine)(ProgramPathView, std::wstring_view),
                           std::initializer_list<PathCase> cases) {
    for (const wchar_t* setting : {L"C:\\UI-View32\\", L"C:\\UI-View32"}) {
        for (const PathCase& c : cases) {
            EXPECT_EQ(routine(c.path, setting), c.expected)
                << "setting " << setting << ", pieces "
                << std::wstring(c.path.drive) + L"|" + std::wstring(c.path.dir) + L"|" +
                       std::wstring(c.path.file);
        }
    }
}
} // namespace

TEST(HostPaths, AbsolutePathJoinsAPathWithoutDriveToTheFolderAtItsBoundary) {
    ExpectForBothSettings(ProgramPathAbsoluteOf,
                          {
                              {{L"", L"Addons", L"x.exe"}, L"C:\\UI-View32\\Addons\\x.exe"},
                              {{L"", L"\\Addons", L"a.exe"}, L"C:\\UI-View32\\Addons\\a.exe"},
                              {{L"", L"", L"Tool.exe"}, L"C:\\UI-View32\\Tool.exe"},
                              {{L"", L"", L""}, L"C:\\UI-View32\\"},
                              {{L"D:", L"\\Tools", L"a.exe"}, L"D:\\Tools\\a.exe"},
                              {{L"C:", L"\\UI-View32 Tools", L"x.exe"}, L"C:\\UI-View32 Tools\\x.exe"},
                              {{L"", L"\\\\server\\share", L"tool.exe"}, L"\\\\server\\share\\tool.exe"},
                          });
    // Without a setting the path stays as relative as it was written.
    EXPECT_EQ(ProgramPathAbsoluteOf({L"", L"Addons", L"x.exe"}, L""), L"Addons\\x.exe");
}

TEST(HostPaths, PathForFileDropsTheFolderOnlyAtItsBoundaryAndSpelledTheSame) {
    ExpectForBothSettings(ProgramPathForFileOf,
                          {
                              {{L"C:", L"\\UI-View32\\Addons", L"x.exe"}, L"Addons\\x.exe"},
                              {{L"C:", L"\\UI-View32", L"x.exe"}, L"x.exe"},
                              {{L"C:", L"\\UI-View32 Tools", L"x.exe"}, L"C:\\UI-View32 Tools\\x.exe"},
                              {{L"C:", L"", L"UI-View32Addons.exe"}, L"C:\\UI-View32Addons.exe"},
                              {{L"c:", L"\\ui-view32\\Addons", L"x.exe"}, L"c:\\ui-view32\\Addons\\x.exe"},
                              {{L"D:", L"\\Tools", L"a.exe"}, L"D:\\Tools\\a.exe"},
                              {{L"", L"\\\\server\\share", L"a.exe"}, L"\\\\server\\share\\a.exe"},
                              {{L"", L"", L"a.exe"}, L"a.exe"},
                          });
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
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"\\\\server\\share\\x.exe", L"server"},
        {L"\\\\Server", L"Server"},
        {L"C:\\UI-View32\\x.exe", L""},
        {L"\\UI-View32\\x.exe", L""},
        {L"\\\\?\\C:\\x.exe", L""},
        {L"\\\\.\\pipe\\x", L""},
        {L"", L""},
    };
    for (const auto& [path, server] : cases) {
        EXPECT_EQ(std::wstring(NetworkServerOf(path)), server) << path;
    }
}
