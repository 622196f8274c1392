#include "HardeningFixture.h"

#include <windowsx.h>

using namespace testsupport;

namespace {
constexpr char kMine[] = "Mine\r\nmine.exe\r\nTrue\r\nFalse\r\n";

using Names = std::vector<std::wstring>;
} // namespace

TEST_F(HardeningTest, ARenameWhoseOldFileIsInUseClosesTheEditorWithBothFilesListed) {
    WriteBytes(host / L"a.xtr", kMine);
    Start();
    Form2& editor = form->Editor();
    const UniqueFile holder = HoldOpen(host / L"a.xtr");
    ASSERT_TRUE(static_cast<bool>(holder));
    OnEntry(L"a.xtr", true, &Form1::mnuPopup1Edit_Click);
    ::SetWindowTextW(editor.txtFilename(), L"b.xtr");
    ::SendMessageW(editor.cmdOK(), BM_CLICK, 0, 0);
    EXPECT_FALSE(editor.IsLoaded()) << "the entry is saved under its new name";
    EXPECT_TRUE(answers.messages.empty());
    // The rescan cannot read the old file either, and lists it all the same.
    EXPECT_EQ(Reports(),
              (std::vector<std::string>{"70 in module Module1.FilenameChanged: Permission denied",
                                        "70 in module Module1.ReadXTR sourceline = 0: Permission denied"}));
    EXPECT_EQ(NamesIn(host.Path()), (Names{L"SavedXTR", L"a.xtr", L"b.xtr"}));
    EXPECT_EQ(XtrCount, 2);
}

TEST_F(HardeningTest, ALineBreakPastedIntoTheTitleKeepsTheOtherLines) {
    Start();
    Form2& editor = form->Editor();
    form->mnuPopup1New_Click();
    ::SetWindowTextW(editor.txtTitle(), L"first\r\nsecond");
    ComboBox_SetCurSel(editor.cmbAutoShutdown(), 1);
    ::SendMessageW(editor.cmdOK(), BM_CLICK, 0, 0);
    ASSERT_FALSE(editor.IsLoaded());
    ASSERT_EQ(XtrCount, 1);
    EXPECT_EQ(XtrTable[1].title.substr(0, 5), L"first");
    EXPECT_TRUE(XtrTable[1].programFile.empty());
    EXPECT_TRUE(XtrTable[1].autoStart);
    EXPECT_FALSE(XtrTable[1].autoStop);
    EXPECT_TRUE(Reports().empty());
}
