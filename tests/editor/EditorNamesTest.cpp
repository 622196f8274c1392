// File names the editor is given: what the file system refuses, a rename of a
// file in use, a line break where one line is expected.
#include "rules/ErrorTable.h"
#include "support/Worlds.h"

#include <windowsx.h>

using namespace testsupport;

namespace {
using EditorNamesTest = MainWindowTest;

constexpr char kMine[] = "Mine\r\nmine.exe\r\nTrue\r\nFalse\r\n";

// Names the file system refuses, or that open a device instead of a file: as
// typed, and as OK takes them, with ".xtr" when they lack it.
const std::vector<std::pair<std::wstring, std::wstring>> kRefusedNames = {
    {L"a?b.xtr", L"a?b.xtr"},
    {L"con.xtr", L"con.xtr"},
    {L"NUL", L"NUL.xtr"},
    {std::wstring(300, L'n') + L".xtr", std::wstring(300, L'n') + L".xtr"},
    {L"", L""},
};
} // namespace

TEST_F(EditorNamesTest, ARefusedNameInTheEditorKeepsTheTypingAndTouchesNoFile) {
    WriteBytes(host / L"a.xtr", kMine);
    Start();
    Form2& editor = form->Editor();
    for (const auto& [name, saved] : kRefusedNames) {
        SCOPED_TRACE(ToAnsi(name.substr(0, 20)));
        answers.messages.clear();
        const size_t reportsBefore = Reports().size();

        // A new entry and a rename of an existing one alike.
        for (const bool isNew : {true, false}) {
            if (isNew) {
                form->mnuPopup1New_Click();
            } else {
                OnEntry(L"a.xtr", true, &Form1::mnuPopup1Edit_Click);
            }
            ASSERT_TRUE(editor.IsLoaded());
            ::SetWindowTextW(editor.txtTitle(), L"Typed with care");
            ::SetWindowTextW(editor.txtFilename(), name.c_str());
            Click(editor.cmdOK());

            ASSERT_TRUE(editor.IsLoaded()) << "the dialog stays open";
            EXPECT_EQ(ShownText(editor.txtTitle()), L"Typed with care");
            EXPECT_EQ(ShownText(editor.txtFilename()), name);
            ASSERT_FALSE(answers.messages.empty());
            // No name at all is asked for, not reported as a failure.
            EXPECT_EQ(answers.messages.back().text,
                      name.empty() ? L"The entry needs a file name: type one into the Filename box."
                                   : L"The XTR file " + saved +
                                         L" could not be saved: Windows cannot use that name for a file.");
            EXPECT_EQ(answers.messages.back().flags & MB_ICONMASK,
                      static_cast<UINT>(name.empty() ? MB_ICONINFORMATION : MB_ICONSTOP));
            Click(editor.cmdQuit());
        }
        const std::vector<std::string> reports = Reports();
        ASSERT_EQ(reports.size(), reportsBefore + (name.empty() ? 0 : 2));
        if (!name.empty()) {
            EXPECT_EQ(reports.back(), "52 in module Module1.ContentChanged: Bad file name or number");
        }
        EXPECT_EQ(NamesIn(host.Path()), (Names{L"SavedXTR", L"a.xtr"}));
        EXPECT_TRUE(NamesIn(Saved()).empty());
        EXPECT_EQ(ReadBytes(host / L"a.xtr"), kMine);
    }
}

// A rename is one change: while the old file cannot go, nothing is written,
// and the editor keeps the typing.
TEST_F(EditorNamesTest, ARenameWhoseOldFileIsInUseWritesNothingAndKeepsTheEditor) {
    WriteBytes(host / L"a.xtr", kMine);
    Start();
    Form2& editor = form->Editor();
    UniqueFile holder = HoldOpen(host / L"a.xtr");
    ASSERT_TRUE(static_cast<bool>(holder));
    OnEntry(L"a.xtr", true, &Form1::mnuPopup1Edit_Click);
    ::SetWindowTextW(editor.txtFilename(), L"b.xtr");
    Click(editor.cmdOK());
    holder.reset();
    EXPECT_TRUE(editor.IsLoaded());
    ASSERT_EQ(answers.messages.size(), 1u);
    EXPECT_EQ(answers.messages[0].text,
              L"The XTR file b.xtr could not be saved: it is in use by another program.");
    EXPECT_EQ(NamesIn(host.Path()), (Names{L"SavedXTR", L"a.xtr"}));
    EXPECT_EQ(ReadBytes(host / L"a.xtr"), kMine);
}

TEST_F(EditorNamesTest, ALineBreakPastedIntoTheTitleKeepsTheOtherLines) {
    Start();
    Form2& editor = form->Editor();
    form->mnuPopup1New_Click();
    ::SetWindowTextW(editor.txtTitle(), L"first\r\nsecond");
    ComboBox_SetCurSel(editor.cmbAutoShutdown(), 1);
    Click(editor.cmdOK());
    ASSERT_FALSE(editor.IsLoaded());
    ASSERT_EQ(Catalogue().XtrCount, 1);
    EXPECT_EQ(Catalogue().XtrTable[1].title.substr(0, 5), L"first");
    EXPECT_TRUE(Catalogue().XtrTable[1].programFile.empty());
    EXPECT_TRUE(Catalogue().XtrTable[1].autoStart);
    EXPECT_FALSE(Catalogue().XtrTable[1].autoStop);
    EXPECT_TRUE(Reports().empty());
}
