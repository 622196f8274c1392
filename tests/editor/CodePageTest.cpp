// Text and paths survive as they are, in any code page: what the code page
// cannot hold is refused, never altered, and what the user left alone goes
// back byte for byte.
#include "support/Worlds.h"

#include <windowsx.h>

#include <functional>

using namespace testsupport;

namespace {
class CodePageTest : public MainWindowTest {
  protected:
    void EditAndOk(const std::wstring& fileName, const std::function<void()>& change) {
        ASSERT_NO_FATAL_FAILURE(Edit(fileName, true));
        change();
        Click(Editor().cmdOK());
    }
};
} // namespace

TEST_F(CodePageTest, TypingTheCodePageCannotHoldIsRefusedNeverAltered) {
    const std::wstring title = L"\u0141\u00F3d\u017A gateway \u2713";
    const std::wstring program = L"C:\\Tools\\\u0142\u00F3d\u017A.exe";
    const bool holds = AnsiText(AnsiBytes(title)) == title && AnsiText(AnsiBytes(program)) == program;
    WriteBytes(host / L"a.xtr", "Tool\r\nC:\\a.exe\r\nTrue\r\nFalse\r\n");
    Start();
    EditAndOk(L"a.xtr", [&] {
        ::SetWindowTextW(Editor().txtTitle(), title.c_str());
        ::SetWindowTextW(Editor().txtProgram(), program.c_str());
    });
    if (holds) { // a code page that holds them all (UTF-8): saved as typed
        EXPECT_TRUE(answers.messages.empty());
        EXPECT_EQ(LinesOf(host / L"a.xtr")[0], AnsiBytes(title));
        return;
    }
    ASSERT_EQ(answers.messages.size(), 1u);
    const std::wstring& message = answers.messages[0].text;
    EXPECT_NE(message.find(L"Title:"), std::wstring::npos) << ToAnsi(message);
    EXPECT_NE(message.find(L"Program:"), std::wstring::npos);
    EXPECT_EQ(message.find(L"Filename:"), std::wstring::npos) << "the name was not changed";
    EXPECT_NE(message.find(L"\u2713"), std::wstring::npos);
    EXPECT_EQ(ReadBytes(host / L"a.xtr"), "Tool\r\nC:\\a.exe\r\nTrue\r\nFalse\r\n");
    ASSERT_TRUE(Editor().IsLoaded()) << "the typing stays";
    wchar_t typed[64] = L"";
    ::GetWindowTextW(Editor().txtTitle(), typed, 64);
    EXPECT_EQ(typed, title);
}

TEST_F(CodePageTest, AFileNamedOutsideTheCodePageIsStillEditedUnderItsName) {
    const std::wstring name = L"\u2713 tool.xtr";
    WriteBytes(host / name, "Tool\r\nC:\\a.exe\r\nTrue\r\nFalse\r\n");
    Start();
    EditAndOk(name, [&] { ComboBox_SetCurSel(Editor().cmbAutoShutdown(), 0); });
    EXPECT_TRUE(answers.messages.empty());
    EXPECT_EQ(LinesOf(host / name)[3], "True");
}

TEST_F(CodePageTest, LinesLeftAloneGoBackWithTheirBytes) {
    // Bytes that a code page of two-byte characters leaves undefined or takes
    // as a lead byte before CR, and program lines that are no plain file paths.
    const std::string title = "Caf\xE9 \x85\x86\xEB\xEF\xFC";
    const std::vector<std::string> paths = {"http://example.net/a.exe", "C:z.exe", "C:\\x.exe\"",
                                            "\"C:\\Program Files\\x.exe"};
    for (size_t i = 0; i < paths.size(); ++i) {
        WriteBytes(host / (L"f" + std::to_wstring(i) + L".xtr"),
                   title + "\r\n" + paths[i] + "\r\nTrue\r\nFalse\r\n");
    }
    Start();
    for (size_t i = 0; i < paths.size(); ++i) {
        const std::wstring name = L"f" + std::to_wstring(i) + L".xtr";
        EditAndOk(name, [&] { ComboBox_SetCurSel(Editor().cmbAutoStart(), 1); });
        const std::vector<std::string> lines = LinesOf(host / name);
        ASSERT_GE(lines.size(), 4u) << paths[i];
        EXPECT_EQ(lines[0], title) << paths[i];
        EXPECT_EQ(lines[1], paths[i]);
        EXPECT_EQ(lines[2], "False");
        EXPECT_EQ(lines[3], "False");
    }
    EXPECT_TRUE(answers.messages.empty());
}
