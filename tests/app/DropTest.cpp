// Files dropped on the main window from Explorer, each drop a real HDROP
// posted to the real window: XTR files are installed, a program dropped alone
// opens the editor for it.
#include "app/AppInfo.h"
#include "common/VersionInfo.h"
#include "xtr/GridFill.h"

#include "hardening/HardeningFixture.h"

#include <shlobj.h>

using namespace testsupport;

namespace {
constexpr char kA[] = "Tool A\r\na.exe\r\nTrue\r\nFalse\r\n";
constexpr char kOld[] = "Old tool\r\nold.exe\r\nFalse\r\nFalse\r\n";
using Names = std::vector<std::wstring>;

class DropTest : public HardeningTest {
  protected:
    // Drops the files on the main window as the shell does, and lets it act.
    void Drop(const Names& paths) {
        size_t characters = 1;
        for (const std::wstring& path : paths) {
            characters += path.size() + 1;
        }
        HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + characters * sizeof(wchar_t));
        auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
        drop->pFiles = sizeof(DROPFILES);
        drop->fWide = TRUE;
        auto* next = reinterpret_cast<wchar_t*>(drop + 1);
        for (const std::wstring& path : paths) {
            next = std::copy(path.begin(), path.end(), next) + 1; // the memory came zeroed
        }
        ::GlobalUnlock(memory);
        ASSERT_TRUE(::PostMessageW(form->Window(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0));
        PumpMessages();
    }
    std::wstring WindowText(HWND window) const {
        wchar_t text[512] = L"";
        ::GetWindowTextW(window, text, 512);
        return text;
    }

    TempFolder outside; // where Explorer drops from
};
} // namespace

TEST_F(DropTest, DroppedXtrFilesAreInstalledActiveByteForByte) {
    const std::string odd = std::string("Odd\r\nbytes\n\x01\xff") + '\0' + "end";
    WriteBytes(outside / L"a.xtr", kA);
    WriteBytes(outside / L"Odd.XTR", odd);
    WriteBytes(outside / L"notes.txt", "a\r\n");
    WriteBytes(outside / L"tool.exe", "MZ");
    WriteBytes(host / L"own.xtr", kOld);
    Start();
    const std::uint32_t rescans = RescanCount();
    Drop({outside / L"a.xtr", outside / L"notes.txt", outside / L"Odd.XTR", outside / L"tool.exe",
          host / L"own.xtr"});

    EXPECT_EQ(NamesIn(host.Path()), (Names{L"Odd.XTR", L"SavedXTR", L"a.xtr", L"own.xtr"}))
        << "no temporary left, nothing else copied";
    EXPECT_EQ(ReadBytes(host / L"a.xtr"), kA);
    EXPECT_EQ(ReadBytes(host / L"Odd.XTR"), odd);
    EXPECT_EQ(ReadBytes(outside / L"a.xtr"), kA) << "copied, not moved";
    EXPECT_EQ(RescanCount() - rescans, 1u);
    EXPECT_EQ(XtrCount, 3);
    EXPECT_NE(IndexOf(L"Odd.XTR", true), 0);
    EXPECT_EQ(form->grdXTRs().Rows(), 4);
    EXPECT_TRUE(answers.messages.empty()) << "the folder's own file is not asked about";
    EXPECT_TRUE(Reports().empty());
}

TEST_F(DropTest, ASameNamedFileIsReplacedOnlyWhenTheUserSaysYes) {
    WriteBytes(host / L"a.xtr", kOld);
    WriteBytes(InSaved(L"b.xtr"), kOld);
    WriteBytes(outside / L"a.xtr", kA);
    WriteBytes(outside / L"b.xtr", kA);
    Start();
    answers.messageReplies = {IDNO, IDYES};
    Drop({outside / L"a.xtr", outside / L"b.xtr"});

    ASSERT_EQ(answers.messages.size(), 2u) << "no message at the end for a file the user kept";
    EXPECT_EQ(answers.messages[0].text, L"a.xtr already exists. Do you want to replace it?");
    EXPECT_EQ(answers.messages[0].flags, static_cast<UINT>(MB_YESNO | MB_DEFBUTTON2));
    EXPECT_EQ(answers.messages[0].title, AppTitle);
    EXPECT_EQ(answers.messages[1].text, L"b.xtr already exists. Do you want to replace it?");
    EXPECT_EQ(ReadBytes(host / L"a.xtr"), kOld);
    EXPECT_EQ(ReadBytes(host / L"b.xtr"), kA) << "the dropped one, active";
    EXPECT_TRUE(NamesIn(Saved()).empty()) << "and only it";
    EXPECT_EQ(XtrCount, 2);
}

TEST_F(DropTest, WhatCannotBeInstalledIsNamedInOneMessageAndTheRestGoesOn) {
    WriteBytes(outside / L"empty.xtr", "");
    WriteBytes(outside / L"long.xtr", std::string(64 * 1024, 'x') + "\r\n"); // its first line end too late
    WriteBytes(outside / L"hidden.xtr", kA);
    ::SetFileAttributesW((outside / L"hidden.xtr").c_str(), FILE_ATTRIBUTE_HIDDEN);
    ::CreateDirectoryW((outside / L"folder.xtr").c_str(), nullptr);
    WriteBytes(outside / L"busy.xtr", kA);
    WriteBytes(outside / L"good.xtr", kA);
    WriteBytes(host / L"busy.xtr", kOld);
    Start();
    ::SetFileAttributesW((host / L"busy.xtr").c_str(), FILE_ATTRIBUTE_READONLY); // cannot be replaced
    answers.messageReplies = {IDYES};
    Drop({outside / L"empty.xtr", outside / L"long.xtr", outside / L"hidden.xtr", outside / L"folder.xtr",
          outside / L"busy.xtr", outside / L"good.xtr"});

    EXPECT_EQ(ReadBytes(host / L"good.xtr"), kA);
    EXPECT_EQ(ReadBytes(host / L"busy.xtr"), kOld);
    EXPECT_EQ(NamesIn(host.Path()), (Names{L"SavedXTR", L"busy.xtr", L"good.xtr"}));
    EXPECT_EQ(Reports(), std::vector<std::string>{"70 in module Form1.Form_DragDrop: Permission denied"});
    ASSERT_EQ(answers.messages.size(), 2u);
    const ShownMessage& told = answers.messages[1];
    EXPECT_EQ(told.flags, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(told.title, AppTitle);
    std::vector<std::wstring> lines;
    for (size_t start = 0, end = 0; end != std::wstring::npos; start = end + 1) {
        end = told.text.find(L'\n', start);
        lines.push_back(told.text.substr(start, end - start));
    }
    ASSERT_EQ(lines.size(), 7u) << ToAnsi(told.text); // a heading, a blank, one line per file
    const Names named = {L"empty.xtr: ", L"long.xtr: ", L"hidden.xtr: ", L"folder.xtr: ", L"busy.xtr: "};
    for (size_t i = 0; i < named.size(); ++i) {
        EXPECT_EQ(lines[i + 2].rfind(named[i], 0), 0u) << ToAnsi(lines[i + 2]);
    }
    EXPECT_NE(lines[6].find(L"Permission denied"), std::wstring::npos) << "why the copy failed";
}

TEST_F(DropTest, AProgramDroppedAloneOpensTheEditorAsNewForIt) {
    const std::wstring description = ReadProgramVersionString(L"FileDescription");
    ASSERT_FALSE(description.empty());
    ::CreateDirectoryW((host / L"Addons").c_str(), nullptr);
    ASSERT_TRUE(::CopyFileW(OwnModulePath().c_str(), (host / L"Addons\\Tracker.exe").c_str(), FALSE));
    WriteBytes(outside / L"plain.exe", "MZ"); // no version information
    Start();
    Drop({host / L"Addons\\Tracker.exe"});

    Form2& editor = form->Editor();
    ASSERT_TRUE(editor.IsLoaded());
    EXPECT_EQ(editor.TargetIndex(), -1) << "a new entry";
    EXPECT_EQ(WindowText(editor.txtTitle()), description);
    EXPECT_EQ(WindowText(editor.txtFilename()), L"Tracker.xtr");
    EXPECT_EQ(WindowText(editor.txtProgram()), L"Addons\\Tracker.exe");
    EXPECT_TRUE(::IsWindowEnabled(editor.cmdOK()) && ::IsWindowEnabled(editor.cmdBrowse()));
    EXPECT_EQ(NamesIn(host.Path()), (Names{L"Addons", L"SavedXTR"})) << "nothing written before OK";

    Drop({outside / L"plain.exe"}); // the open editor keeps its boxes
    EXPECT_EQ(WindowText(editor.txtFilename()), L"Tracker.xtr");

    ::SendMessageW(editor.cmdQuit(), BM_CLICK, 0, 0);
    Drop({outside / L"plain.exe"});
    ASSERT_TRUE(editor.IsLoaded());
    EXPECT_EQ(WindowText(editor.txtTitle()), L"plain");
    EXPECT_EQ(WindowText(editor.txtFilename()), L"plain.xtr");
    EXPECT_EQ(WindowText(editor.txtProgram()), outside / L"plain.exe");
    ::SendMessageW(editor.cmdOK(), BM_CLICK, 0, 0);
    EXPECT_EQ(
        ReadBytes(host / L"plain.xtr").rfind(ToAnsi(L"plain\r\n" + (outside / L"plain.exe") + L"\r\n"), 0),
        0u);
    EXPECT_TRUE(Reports().empty());
}
