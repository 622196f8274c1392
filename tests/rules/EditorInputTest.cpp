#include "rules/EditorInput.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

TEST(YesNo, OnlyYesInAnyLetterCase) {
    const std::pair<const wchar_t*, bool> cases[] = {{L"yes", true}, {L"Yes", true},   {L"YES", true},
                                                     {L"NO", false}, {L"", false},     {L"YES ", false},
                                                     {L"Y", false},  {L" YES", false}, {L"yEs", true}};
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(YesNo(text), expected) << testing::PrintToString(std::wstring(text));
    }
}

TEST(TypedProgramPath, DropsOnlyOnePairAroundTheWhole) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"\"C:\\Program Files\\Tool\\tool.exe\"", L"C:\\Program Files\\Tool\\tool.exe"},
        {L"C:\\tools\\tool.exe", L"C:\\tools\\tool.exe"},
        {L"\"C:\\tools\\tool.exe", L"\"C:\\tools\\tool.exe"},
        {L"C:\\tools\\tool.exe\"", L"C:\\tools\\tool.exe\""},
        {L"\"\"x\"\"", L"\"x\""},
        {L"\"\"", L""},
        {L"\"", L"\""},
        {L"", L""}};
    for (const auto& [typed, expected] : cases) {
        EXPECT_EQ(TypedProgramPath(typed), expected) << testing::PrintToString(std::wstring(typed));
    }
}

TEST(TypedFileName, GetsTheXtrExtensionItLacks) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"Mapper", L"Mapper.xtr"},       {L"Tool.XTR", L"Tool.XTR"}, {L"b.XtR", L"b.XtR"},
        {L"notes.txt", L"notes.txt.xtr"}, {L"a.xtra", L"a.xtra.xtr"}, {L"", L""}};
    for (const auto& [typed, expected] : cases) {
        EXPECT_EQ(TypedFileName(typed), expected) << testing::PrintToString(std::wstring(typed));
    }
}
