#include "system/Win32.h"

#include <gtest/gtest.h>

#include <commdlg.h>

// Functions that only some commands need come from their system DLL on first use.
TEST(SystemFunctionTest, FindsAFunctionOfASystemDllAndTellsWhatIsMissing) {
    const auto getOpenFileName =
        SystemFunction<decltype(::GetOpenFileNameW)>(L"comdlg32.dll", "GetOpenFileNameW");
    ASSERT_NE(getOpenFileName, nullptr);
    // Loaded from the system folder, never from beside the program (a planted DLL).
    wchar_t loaded[MAX_PATH] = L"";
    wchar_t system[MAX_PATH] = L"";
    ::GetModuleFileNameW(::GetModuleHandleW(L"comdlg32.dll"), loaded, MAX_PATH);
    ::GetSystemDirectoryW(system, MAX_PATH);
    EXPECT_TRUE(EqualsIgnoringCase(FolderOf(loaded), system)) << ToAnsi(loaded);

    EXPECT_EQ(SystemFunctionAddress(L"comdlg32.dll", "QuillonNoSuchFunction"), nullptr);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    EXPECT_EQ(SystemFunctionAddress(L"quillon-no-such.dll", "Anything"), nullptr);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}
