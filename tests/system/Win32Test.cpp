#include "system/Win32.h"

#include <gtest/gtest.h>

#include <commdlg.h>

// Functions that only some commands need come from their system DLL on first use.
TEST(SystemFunctionTest, FindsAFunctionOfASystemDllAndTellsWhatIsMissing) {
    const auto getOpenFileName =
        SystemFunction<decltype(::GetOpenFileNameW)>(L"comdlg32.dll", "GetOpenFileNameW");
    ASSERT_NE(getOpenFileName, nullptr);
    const HMODULE comdlg = ::GetModuleHandleW(L"comdlg32.dll");
    ASSERT_NE(comdlg, nullptr);
    EXPECT_EQ(SystemFunctionAddress(L"comdlg32.dll", "GetOpenFileNameW"),
              ::GetProcAddress(comdlg, "GetOpenFileNameW"));

    EXPECT_EQ(SystemFunctionAddress(L"comdlg32.dll", "QuillonNoSuchFunction"), nullptr);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    EXPECT_EQ(SystemFunctionAddress(L"quillon-no-such.dll", "Anything"), nullptr);
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}
