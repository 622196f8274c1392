#include "HardeningFixture.h"

#include <windowsx.h>

using namespace testsupport;

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
